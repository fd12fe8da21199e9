// The signature file: whatever is accepted is written back to a text that reads the same.
#include "tests/fuzz/ortak.h"
#include "updater/imza.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    guncelleme::imza_kaydi k, tekrar;
    if (!guncelleme::imza_coz(girdi_metni(veri, n), k)) return 0;
    DENETLE(guncelleme::imza_coz(guncelleme::imza_metni(k), tekrar));
    DENETLE(tekrar.sira == k.sira && tekrar.bitis == k.bitis && tekrar.imza == k.imza);
    DENETLE(k.bitis >= 0);
    return 0;
}
