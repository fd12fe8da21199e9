// UTF-8 decoding in text measuring: it always advances, never past the end, and counts one
// step per code point the field rules count.
#include "tests/fuzz/ortak.h"
#include "ui/metin_alani.h"
#include "ui/yazi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    const std::string metin = girdi_metni(veri, n);
    size_t i = 0, adim = 0;
    while (i < metin.size()) {
        const size_t once = i;
        const int32_t c = yazi::utf8_coz(metin, i);
        DENETLE(i > once && i <= metin.size());
        DENETLE(c >= 0);
        ++adim;
    }
    DENETLE(adim <= metin.size());
    DENETLE(kod_noktasi_sayisi(metin) <= metin.size());
    return 0;
}
