// The update manifest "dosyalar-linux.txt": a first line beginning with "morvatan-liste 1",
// optional "surum " lines, and "digest size path" entry lines, path relative and "/"-separated.
//
// Parsing is pure: it needs no files and no shared state, so the operator tool that writes
// manifests checks paths with the very same rules.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace guncelleme {

struct kayit {
    std::string ozet;    // digest text, exactly 64 characters (compared byte for byte)
    int64_t boyut = 0;   // size in bytes, at least 0
    std::string yol;     // relative path, validated by yol_gecerli_mi
};

struct liste {
    std::vector<kayit> kayitlar;  // manifest order, duplicates kept
    bool surum_var = false;       // a "surum " line was met
    std::string surum;            // the text after the last "surum "
    std::string uzun_ad;          // with UZUN_AD: the path whose name is too long
};

const size_t AD_SINIRI = 249;             // bytes of one name: with ".indir" it still fits in 255
const int64_t BOYUT_SINIRI = int64_t(1) << 50;  // 1 PiB; larger sizes are typing errors, not files

// Not empty, not starting with "/" or a backslash, no ":", no NUL, no segment between slashes
// that is empty, "." or "..", and no trailing slash (a file path names a file).
bool yol_gecerli_mi(const std::string& yol);

// Whether every name of the path fits AD_SINIRI (the launcher's temporaries add ".indir").
bool adlar_sigiyor_mu(const std::string& yol);

// The launcher's own run-time files ("launcher.ini", "launcher.kilit", "oyun.kilit",
// "guncelleme.cache", "guncelleme.sira" at the top, or beneath them) and its temporaries (any name ending in
// ".indir", ".eski" or ".yeni"). A manifest never lists them and the launcher never installs
// them: an update must not replace a player's settings, lock or records.
bool ayrilmis_mi(const std::string& yol);

enum class liste_sonucu { TAMAM, BOZUK, GECERSIZ_SATIR, UZUN_AD };

// Parses a manifest body. BOZUK: empty body, a wrong first line, or sizes whose sum does not fit
// in 64 bits (so every later total of a run is safe to add up); GECERSIZ_SATIR: an entry line
// breaks the rules (a size above BOYUT_SINIRI included); UZUN_AD: a name longer than AD_SINIRI,
// which could never be installed. Version lines met before a failure are in `cikti` all the same.
liste_sonucu liste_coz(const std::string& govde, liste& cikti);

}  // namespace guncelleme
