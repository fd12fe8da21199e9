// Settings lines: every entry is one whole line's key and value, never a comment.
#include "app/ayarlar.h"
#include "tests/fuzz/ortak.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    std::vector<ayar> liste;
    ini_coz(girdi_metni(veri, n), liste);
    for (const ayar& a : liste) {
        DENETLE(a.anahtar.find('=') == std::string::npos);
        DENETLE(a.anahtar.find('\n') == std::string::npos && a.deger.find('\n') == std::string::npos);
        DENETLE(a.anahtar.empty() || a.anahtar[0] != '#');
    }
    return 0;
}
