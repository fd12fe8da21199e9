// Downloads and replacement: the manifest fetched into memory, each file streamed into
// "<path>.indir" while it is hashed and counted, checked against the manifest, given execute
// permission when it is a program, and renamed over the old file (with a ".eski" fallback).
//
// A file under its final name is therefore always either the old or the new content. Runs on
// the update worker thread, except temizle (main thread, before a worker starts).
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

#include "updater/liste.h"
#include "updater/onbellek.h"
#include "updater/sha256.h"

namespace guncelleme {

const int64_t LISTE_SINIRI = 67108863;  // a manifest of 64 MiB or more is refused

// Body of `url` appended to `govde`. Errors: "adres gecersiz", "curl calistirilamadi",
// "diske yazilamadi" (too large), "sunucuya ulasilamadi"; false with `hata` untouched when
// the launcher is closing.
bool liste_al(const std::string& url, std::string& govde, std::string& hata);

// Where a download goes: the digest state, the byte count and the ".indir" file, open once
// for curl to write and once for reading back what has landed.
struct indirme_hedefi {
    sha256::baglam& ozet;
    int64_t en_cok = 0;  // the listed size: a longer body fails as "dosya bozuk geldi"
    int64_t alinan = 0;
    int fd = -1;        // curl's standard output
    int okuma_fd = -1;  // the same file, read behind curl
};

// Streams `url` into the file while every byte that lands is hashed and counted (also into
// inen_bayt); each byte is read back once from the page cache, so nothing is re-read later.
// A body longer than `en_cok` ends the transfer at once ("dosya bozuk geldi"); bytes past it
// are never counted.
bool dosya_indir(const std::string& url, indirme_hedefi& hedef, std::string& hata);

// Percent-encodes a manifest path for a URL (letters, digits and "-./~_" stay).
std::string yol_kodla(const std::string& yol);

// ELF, "#!", and the two Mach-O magic numbers.
bool calistirilabilir_mi(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3);

struct yerlestirme {
    bool tamam = false;
    bool eski_kullanildi = false;  // the old file had to be moved aside as ".eski"
};

// Renames gecici over hedef; when that fails, moves hedef to hedef + ".eski" first.
yerlestirme yerlestir(const std::filesystem::path& gecici, const std::filesystem::path& hedef);

enum class adim_sonucu {
    TAMAM,       // the file is in place and its cache record updated
    BASARISIZ,   // reported through hata_ver; the cache has been written
    DURDURULDU,  // the launcher is closing; nothing reported, cache not written
};

// The per-file step of a run; sets `yeniden` when the launcher must restart.
adim_sonucu dosya_guncelle(const kayit& e, const std::string& adres, const std::string& kendi_yolu,
                           onbellek& tablo, bool& yeniden);

// Removes every "*.eski" entry of the working directory (not recursively); errors ignored.
void temizle();

}  // namespace guncelleme
