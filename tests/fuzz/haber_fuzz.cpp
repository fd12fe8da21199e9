// The news feed: every item comes from one line, and kisa holds no '|'.
#include "tests/fuzz/ortak.h"
#include "web/haber.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    const std::string metin = girdi_metni(veri, n);
    size_t satirlar = 1;
    for (char c : metin) satirlar += c == '\n';
    const std::vector<haber> liste = webhaber::coz(metin);
    DENETLE(liste.size() <= satirlar);
    for (const haber& h : liste) {
        DENETLE(h.kisa.find('|') == std::string::npos && h.baslik.find('|') == std::string::npos);
        DENETLE(h.kisa.find('\n') == std::string::npos && h.metin.find('\n') == std::string::npos);
    }
    return 0;
}
