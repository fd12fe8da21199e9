// The digest cache "guncelleme.cache": per manifest path, the size, last-write time and
// SHA-256 text of the local file, so that an unchanged installation is not hashed again.
//
// File: one "size time digest path" line per record, in ascending path order; the path is the
// rest of the line and may hold spaces. Records are never dropped, the last line of a path
// wins. Used by the update worker thread only.
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace guncelleme {

struct onbellek_kaydi {
    int64_t boyut = 0;  // file size when the digest was taken
    int64_t zaman = 0;  // last-write time then (file clock ticks; 0 when unreadable)
    std::string ozet;   // digest text
};

using onbellek = std::map<std::string, onbellek_kaydi>;  // keyed by manifest path

// One "size time digest path" line: two decimal numbers (an overflow fails), the digest up to
// the next white space, then the rest of the line as the (non-empty) path.
bool onbellek_satiri_coz(const std::string& satir, std::string& yol, onbellek_kaydi& k);

// Fills the table from "guncelleme.cache" in the working directory; a missing file adds nothing.
void onbellek_oku(onbellek& tablo);
// The same into a new table.
onbellek onbellegi_oku();
// Replaces "guncelleme.cache" with the table; errors are ignored.
void onbellek_yaz(const onbellek& tablo);

// Size and last-write time of a regular file (symbolic links followed) with one system call.
// False when the path is no regular file or cannot be examined.
bool dosya_bilgisi(const std::string& yol, int64_t& boyut, int64_t& zaman);

// The same for the file `ad` in the open folder `klasor_fd`: the kernel looks up one name
// instead of walking the whole path again.
bool dosya_bilgisi_at(int klasor_fd, const char* ad, int64_t& boyut, int64_t& zaman);

// The same for an open file (which need not be regular).
bool dosya_bilgisi_fd(int fd, int64_t& boyut, int64_t& zaman);

}  // namespace guncelleme
