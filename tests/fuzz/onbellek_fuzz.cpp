// Digest cache lines: an accepted record has a path and a digest without white space; a
// refused line leaves nothing half-parsed that matters (the record is thrown away).
#include "tests/fuzz/ortak.h"
#include "updater/onbellek.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    std::string yol;
    guncelleme::onbellek_kaydi k;
    if (!guncelleme::onbellek_satiri_coz(girdi_metni(veri, n), yol, k)) return 0;
    DENETLE(!yol.empty());
    DENETLE(!k.ozet.empty());
    for (char c : k.ozet) DENETLE(c != ' ' && !(c >= '\t' && c <= '\r'));
    return 0;
}
