// Downloads and replacement: the manifest fetched into memory, a large file streamed into
// "<path>.indir" while it is hashed and counted (continued where an earlier run or a cut
// transfer left it),
// checked against the manifest, given execute permission when it is a program, and renamed
// over the old file (with a ".eski" fallback). Small files take the same last steps after a
// batch transfer (updater/toplu.h).
//
// A file under its final name is therefore always either the old or the new content. Runs on
// the update worker thread, except temizle (main thread, before a worker starts).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/aktarim.h"
#include "platform/tanimlayici.h"
#include "updater/liste.h"
#include "updater/onbellek.h"
#include "updater/sha256.h"

namespace guncelleme {

const int64_t LISTE_SINIRI = 67108863;  // a manifest of 64 MiB or more is refused

// Why a transfer or a downloaded file failed; the kinds and their texts live with the
// player's texts.
using hata_turu = metinler::aktarim_hatasi;

// The player's failure of a download of `yol`.
metinler::ileti indirme_hatasi(const std::string& yol, hata_turu tur);

// Body of `url` appended to `govde`: YOK, or why it failed (DISKE_YAZILAMADI when longer than
// LISTE_SINIRI). One transfer, never tried again.
hata_turu govde_getir(const std::string& url, std::string& govde, double sessizlik = 0, int64_t hiz_siniri = 0);

// Body of `url` appended to `govde`. Errors: "adres gecersiz", "curl calistirilamadi",
// "diske yazilamadi" (too large), "sunucuya ulasilamadi"; false with `hata` untouched when
// the launcher is closing.
bool liste_al(const std::string& url, std::string& govde, std::string& hata);

// A folder of one step's own at the installation's top ("ON_EK-", random hexadecimal digits,
// ".indir"), made with an exclusive mkdir, mode 0700: no one else can plant a link in it, and
// its files need no name of a listed file's. A name ending in ".indir" is never listed or
// installed, and the leftovers' walk removes such a folder a killed run left. "" when none
// can be made.
std::string ozel_klasor_ac(const char* on_ek);

const int64_t DEVAM_ESIGI = 4 << 20;  // a ".indir" this long is continued, not started again

// Percent-encodes a manifest path for a URL (letters, digits and "-./~_" stay).
std::string yol_kodla(const std::string& yol);

// Where a listed file is fetched below the base `adres`: its percent-encoded path, "?" and the
// first 16 hexadecimal digits of its listed digest. A static host ignores the query, while a
// cache keys on it, so a cache that still holds an earlier release's bytes of the path can
// never hand them out for this one, and every file may be cached as long as a cache likes.
std::string dosya_adresi(const std::string& adres, const kayit& e);

// ELF, "#!", and the two Mach-O magic numbers.
bool calistirilabilir_mi(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);

struct yerlestirme {
    bool tamam = false;
    bool eski_kullanildi = false;  // the old file had to be moved aside as ".eski"
};

// Renames gecici over hedef; when that fails, moves hedef to hedef + ".eski" first. A folder
// standing where the new release has a file is moved aside and removed with its contents (the
// fallback is then not counted as used: nothing of it is left to clean up).
yerlestirme yerlestir(const std::filesystem::path& gecici, const std::filesystem::path& hedef);

// Makes the folder `ust` and its parents. A file (or a dangling link) standing where the new
// release has a folder is removed first. False when the folder cannot be made.
bool dizin_hazirla(const std::filesystem::path& ust);

// A new, empty temporary at `gecici` for writing (whatever stood there is removed first; the
// file is never a link planted meanwhile, nor one that another process still holds open).
// Holds nothing when it cannot be made.
tanimlayici gecici_olustur(const std::string& gecici);

enum class adim_sonucu {
    TAMAM,       // the file is in place and its cache record updated
    BASARISIZ,   // reported through hata_ver; the cache has been written
    DURDURULDU,  // the launcher is closing; nothing reported, cache not written
};

// The last steps of a verified download held open for reading as `fd` at `gecici`: execute bit, a last
// check that the path still names that file, the rename, the cache record and the count.
// Sets `yeniden` when the launcher must restart. On failure fills `hata` (nothing reported,
// the ".indir" left in place when it is no longer ours).
bool yerine_koy(const kayit& e, const std::string& gecici, int fd, const std::string& kendi_yolu, onbellek& tablo,
                bool& yeniden, metinler::ileti& hata);

// Ends a failed step: `silinecek` (when not empty) is removed, the cache saved, the failure
// reported. Always BASARISIZ. A file that came with other bytes than listed (`tur` BOZUK)
// may belong to a release published while this run fetched the one before it: while the
// worker waits for that (degisim_bekle), such a failure is not reported but noted for it
// (degisim_goruldu), and the worker looks again.
adim_sonucu basarisiz(const std::string& silinecek, const onbellek& tablo, const metinler::ileti& hata,
                      hata_turu tur = hata_turu::YOK);

// Whether this thread's steps hold such a failure back; off for a new thread.
void degisim_bekle(bool bekle);

// Whether a failure was held back since degisim_bekle(true).
bool degisim_goruldu();

// The streamed step of a run for one file. A ".indir" of DEVAM_ESIGI bytes or more, and no
// longer than listed, is hashed and continued from its end; a failure that may pass is tried
// again (updater/tekrar.h), continuing from what has arrived; when the server cannot send the
// rest, or joined bytes turn out wrong, the file is fetched once more from its first byte. A
// stop or a lost connection keeps a ".indir" of DEVAM_ESIGI bytes or more for the next run.
// `hiz_siniri` above 0 holds the transfer to that many bytes a second.
adim_sonucu dosya_guncelle(const kayit& e, const std::string& adres, const std::string& kendi_yolu,
                           onbellek& tablo, bool& yeniden, int64_t hiz_siniri = 0);

// Removes every "*.eski" entry of the working directory (not recursively; a folder with
// everything in it); errors ignored.
void temizle();

// After a run that left every listed file current: removes the files of earlier releases that
// this manifest no longer lists. The cache knows them (only a listed file is ever recorded),
// so a file the launcher never installed (a save, a screenshot) is never touched; neither is
// a folder, a link or one of the launcher's own files, nor what it cannot start without (its
// executable `kendi_yolu`, varsayilan.ini, veri/font/). Folders left empty by a removal go
// too. The records of unlisted paths leave the table.
void birakilanlari_sil(const liste& l, const std::string& kendi_yolu, onbellek& tablo);

// After a run that left every listed file current: removes every regular file named "*.indir"
// below the working directory (links are not followed), and a folder of that name at its top
// with what it holds (a killed delta's range pieces, updater/fark.h). Such a file belongs to no download any
// more: a stopped one of a path the manifest no longer lists, or a killed batch's. Ends early
// when the launcher is closing.
void indir_artiklarini_sil();

}  // namespace guncelleme
