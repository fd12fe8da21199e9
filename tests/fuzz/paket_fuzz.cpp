// The game-server answers: a refused parse leaves the caller's data alone, an accepted ticket
// is never empty, and no string exceeds its length limit.
#include "server/paket.h"
#include "tests/fuzz/ortak.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    if (n == 0) return 0;
    std::vector<haber> liste{{"x", "y", "z"}};
    if (sunucu::durum_cevabi_coz(veri, n, liste)) {
        for (const haber& h : liste) DENETLE(h.kisa.size() <= 64 && h.baslik.size() <= 64 && h.metin.size() <= 2000);
    } else {
        DENETLE(liste.size() == 1 && liste[0].kisa == "x");
    }
    std::string bilet = "eski";
    if (sunucu::giris_kabul_coz(veri, n, bilet)) DENETLE(!bilet.empty() && bilet.size() <= 64);
    else DENETLE(bilet == "eski");
    int kod = 0;
    std::string mesaj;
    sunucu::giris_red_coz(veri, n, kod, mesaj);
    DENETLE(mesaj.size() <= 64 && kod >= -1 && kod <= 255);
    DENETLE(!metinler::yaz(sunucu::red_iletisi(kod, mesaj)).empty());
    DENETLE(sunucu::ret_nedeni(veri, n).size() <= 64);
    return 0;
}
