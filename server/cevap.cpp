// Game-server answers: the decision each type makes in each mode, and applying it. No state
// of its own.
#include "server/cevap.h"

#include "app/mesaj.h"
#include "platform/gizli.h"
#include "platform/oyun.h"
#include "server/baglanti.h"
#include "server/paket.h"
#include "web/giris_akisi.h"

namespace sunucu {
namespace {

karar durum_karari(const uint8_t* veri, size_t n) {
    karar k;
    k.t = karar::tur::ACIK;
    k.haber_var = durum_cevabi_coz(veri, n, k.haberler);
    return k;
}

karar kabul_karari(const uint8_t* veri, size_t n) {
    karar k;
    const bool iyi = giris_kabul_coz(veri, n, k.bilet) && oyun::bilet_gecerli_mi(k.bilet);
    if (!iyi) gizli::sil(k.bilet);
    k.t = iyi ? karar::tur::BILET : karar::tur::BOZUK;
    return k;
}

karar red_karari(const uint8_t* veri, size_t n) {
    int kod = -1;
    karar k;
    std::string mesaj;
    giris_red_coz(veri, n, kod, mesaj);
    k.hata = red_iletisi(kod, mesaj);
    k.t = karar::tur::RED;
    return k;
}

}  // namespace

karar cevap_coz(const uint8_t* veri, size_t n, int mod) {
    if (n == 0) return {};
    switch (veri[0]) {
        case DURUM_CEVABI: return mod == 1 ? durum_karari(veri, n) : karar{};
        case GIRIS_KABUL: return mod == 2 ? kabul_karari(veri, n) : karar{};
        case GIRIS_RED: return mod == 2 ? red_karari(veri, n) : karar{};
        case REDDEDILDI: {
            karar k;
            k.t = karar::tur::REDDEDILDI;
            k.hata = {metinler::tur::SUNUCU_REDDETTI, ret_nedeni(veri, n)};
            return k;
        }
        default: return {};
    }
}

void karari_uygula(karar& k) {
    switch (k.t) {
        case karar::tur::YOK: return;
        case karar::tur::REDDEDILDI: basarisiz(k.hata); return;
        case karar::tur::ACIK:
            if (k.haber_var && !webhaber::var) haberler.swap(k.haberler);
            sunucu_sifirla();
            sunucu_durumu = SUNUCU_ACIK;
            return;
        case karar::tur::BILET:
            sunucu_sifirla();
            sunucu_durumu = SUNUCU_ACIK;
            bilet_ile_oyunu_baslat(k.bilet, false);
            gizli::sil(k.bilet);
            return;
        case karar::tur::BOZUK:
            sunucu_sifirla();
            sunucu_durumu = SUNUCU_ACIK;
            hata_goster(metinler::yaz({metinler::tur::SUNUCU_BOZUK_CEVAP}));
            return;
        case karar::tur::RED:
            sunucu_sifirla();
            sunucu_durumu = SUNUCU_ACIK;
            hata_goster(metinler::yaz(k.hata));
            return;
    }
}

}  // namespace sunucu
