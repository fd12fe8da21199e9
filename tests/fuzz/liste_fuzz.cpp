// The update manifest: every accepted entry passes the path rules, has a 64-character digest,
// a size of at least 0, and the sizes add up without overflow.
#include "tests/fuzz/ortak.h"
#include "updater/liste.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    guncelleme::liste l;
    if (guncelleme::liste_coz(girdi_metni(veri, n), l) != guncelleme::liste_sonucu::TAMAM) return 0;
    int64_t toplam = 0;
    for (const guncelleme::kayit& k : l.kayitlar) {
        DENETLE(guncelleme::yol_gecerli_mi(k.yol));
        DENETLE(k.yol.find('\n') == std::string::npos);
        DENETLE(k.ozet.size() == 64);
        DENETLE(k.boyut >= 0);
        DENETLE(!__builtin_add_overflow(toplam, k.boyut, &toplam));
    }
    return 0;
}
