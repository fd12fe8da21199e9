// The signature file: whatever is accepted is written back to a text that reads the same.
#include "tests/fuzz/ortak.h"
#include "updater/imza.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    guncelleme::imza_kaydi k, tekrar;
    if (!guncelleme::imza_coz(girdi_metni(veri, n), k)) return 0;
    DENETLE(guncelleme::imza_coz(guncelleme::imza_metni(k), tekrar));
    DENETLE(tekrar.sira == k.sira && tekrar.bitis == k.bitis && tekrar.imzalar == k.imzalar);
    DENETLE(k.bitis >= 0);
    DENETLE(!k.imzalar.empty() && k.imzalar.size() <= guncelleme::IMZA_EN_COK);
    return 0;
}
