// Delta updates: a stale large file whose old copy is on disk is rebuilt from the blocks of
// that copy that the new file still holds (found at any offset through the block index of
// updater/blok.h), and only the missing byte ranges are fetched, one range per request, many
// requests at a time. Any doubt (no index, a broken one, a server that ignores ranges, a
// rebuilt file with the wrong digest) ends in one plain download of the file in the same run.
// Update worker thread only.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "updater/blok.h"
#include "updater/hiz.h"
#include "updater/indirme.h"
#include "updater/liste.h"
#include "updater/onbellek.h"

namespace guncelleme {

// Where each block of the indexed file lies in the old file `fd` of `boyut` bytes: its
// offset there, or -1 when the old file does not hold it. The old file is read once, front
// to back, through a window of a few MiB. A block is taken on its rolling checksum when it
// follows the block found just before it, and on its strong digest too when it starts a
// run. False when `durdur` was set meanwhile (seen within a few milliseconds), the file could
// not be read, or the index stopped paying off: windows whose checksum matched but whose
// digest did not cost more than twice the old file's size in digested bytes.
bool eslestir(int fd, int64_t boyut, const blok::dizin& d, std::vector<int64_t>& kaynak,
              const std::atomic<bool>& durdur);

// A byte range of the new file, [bas, son).
struct aralik {
    int64_t bas = 0;
    int64_t son = 0;
};

// The ranges to fetch: runs of missing blocks joined into one, then cut to `en_cok` bytes.
std::vector<aralik> eksik_araliklar(const std::vector<int64_t>& kaynak, const blok::dizin& d, int64_t en_cok);

// The streamed step of a large file: rebuilt from its old copy when it has one and an index
// is served (and no ".indir" of an earlier run waits to be continued), else downloaded whole
// (dosya_guncelle), held to the run's pace either way.
adim_sonucu buyuk_dosya_guncelle(const kayit& e, const std::string& adres, const std::string& kendi_yolu,
                                 onbellek& tablo, bool& yeniden, hiz_duzeni& duzen);

}  // namespace guncelleme
