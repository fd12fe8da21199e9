// Game-server answers: the action of each type in each mode. No state of its own.
#include "server/cevap.h"

#include <string>
#include <vector>

#include "app/mesaj.h"
#include "platform/oyun.h"
#include "server/baglanti.h"
#include "server/paket.h"
#include "web/giris_akisi.h"
#include "web/haber.h"

namespace sunucu {
namespace {

void durum_cevabi(const uint8_t* veri, size_t n) {
    std::vector<haber> liste;
    if (durum_cevabi_coz(veri, n, liste) && !webhaber::var) haberler.swap(liste);
    sunucu_durumu = SUNUCU_ACIK;
    sunucu_sifirla();
}

void giris_kabulu(const uint8_t* veri, size_t n) {
    std::string bilet;
    const bool iyi = giris_kabul_coz(veri, n, bilet) && oyun::bilet_gecerli_mi(bilet);
    sunucu_sifirla();
    sunucu_durumu = SUNUCU_ACIK;
    if (!iyi) {
        gizli::sil(bilet);
        hata_goster("Sunucudan bozuk cevap geldi.");
        return;
    }
    bilet_ile_oyunu_baslat(bilet, false);
    gizli::sil(bilet);
}

void giris_reddi(const uint8_t* veri, size_t n) {
    int kod = -1;
    std::string mesaj;
    giris_red_coz(veri, n, kod, mesaj);
    sunucu_sifirla();
    sunucu_durumu = SUNUCU_ACIK;
    hata_goster(red_metni(kod, mesaj));
}

}  // namespace

void cevap_isle(const uint8_t* veri, size_t n) {
    if (n == 0) return;
    switch (veri[0]) {
        case DURUM_CEVABI:
            if (baglanti_modu == 1) durum_cevabi(veri, n);
            break;
        case GIRIS_KABUL:
            if (baglanti_modu == 2) giris_kabulu(veri, n);
            break;
        case GIRIS_RED:
            if (baglanti_modu == 2) giris_reddi(veri, n);
            break;
        case REDDEDILDI: basarisiz("Sunucu reddetti: " + ret_nedeni(veri, n)); break;
        default: break;
    }
}

}  // namespace sunucu
