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
};

// Not empty, not starting with "/" or a backslash, no ":", and no segment between slashes that
// is empty, "." or ".." (one slash at the very end is allowed).
bool yol_gecerli_mi(const std::string& yol);

enum class liste_sonucu { TAMAM, BOZUK, GECERSIZ_SATIR };

// Parses a manifest body. BOZUK: empty body, a wrong first line, or sizes whose sum does not fit
// in 64 bits (so every later total of a run is safe to add up); GECERSIZ_SATIR: an entry line
// breaks the rules. Version lines met before a failure are in `cikti` all the same.
liste_sonucu liste_coz(const std::string& govde, liste& cikti);

}  // namespace guncelleme
