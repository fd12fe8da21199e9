// The main screen: status texts and rules, then the frame in drawing order.
// No state of its own; it reads the update state, the news, the link state and the settings.
#include "screens/ana_ekran.h"
#include "platform/oyun.h"

#include <GLFW/glfw3.h>

#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/baglanti.h"
#include "platform/dosya.h"
#include "server/baglanti.h"
#include "ui/arayuz.h"
#include "ui/doku.h"
#include "ui/metin_alani.h"
#include "ui/yazi.h"
#include "updater/durum.h"
#include "updater/isci.h"
#include "web/haber.h"
#include "web/webgiris.h"

namespace ekran {

namespace {
bool oyun_bekleniyor = false;  // main thread: an update waits for a running game to end
double son_bakis = 0;          // steady_saniye() of the last look at the game's lock
metinler::ileti klasor_uyarisi;  // main thread: the installation's folder takes no files (YOK when it does)

// An installation the player may only read (unpacked by root under /opt, say) can never be
// updated, and neither waiting nor restarting changes that: said at once, with the remedy.
metinler::ileti klasor_uyarisi_al() {
    if (klasore_yazilir_mi(".")) return {};
    std::error_code ec;
    return {metinler::tur::KLASOR_YAZILAMIYOR, std::filesystem::current_path(ec).string()};
}
}

namespace {

const uint32_t HABER_BASLIK_RENK = 0xE2C27A;  // title of a news box
const char* const ORTA_NOKTA = " \xC2\xB7 ";  // " · "

struct topluluk_baglantisi {
    const char* etiket;
    const char* anahtar;
};
const topluluk_baglantisi TOPLULUK[] = {
    {"DC", "discord"}, {"YT", "youtube"}, {"IG", "instagram"}, {"X", "x"}, {"TW", "twitch"}};

void haber_goster(const haber& h) { mesaj_goster(h.baslik, h.metin.empty() ? h.kisa : h.metin, HABER_BASLIK_RENK); }

void resim(const doku& d, float x, float y, float w, float h) {
    if (d.tex) doku_ciz(d, x, y, w, h, 1.0f);
}

void kapat_dugmesi() {
    bool uzerinde = false, basili = false;
    if (arayuz::etkilesim("kapat", 0, &uzerinde, &basili, 756, 8, 36, 36)) glfwSetWindowShouldClose(pencere, GLFW_TRUE);
    if (!deri.buton_kapat.tex) return;
    const float a = basili ? 0.8f : 1.0f;
    if (uzerinde) doku_ciz(deri.buton_kapat, 754, 6, 40, 40, a);
    else doku_ciz(deri.buton_kapat, 756, 8, 36, 36, a);
}

void afis() {
    resim(deri.afis, 392, 102, 346, 176);
    dikdortgen_ciz(0x000000, 392, 242, 346, 36, 0.0f, 0.85f);
    const std::string baslik = haberler.empty() ? "Morvatan Online" : haberler[0].baslik;
    if (arayuz::etkilesim("afis", 0, nullptr, nullptr, 392, 102, 346, 176) && !haberler.empty())
        haber_goster(haberler[0]);
    const yazi::atlas* a = yazi::atlas_al(yazi::BASLIK, 20);
    kirp(392, 242, 346, 36);
    yazi::yaz(*a, baslik, 0xF2E6C4, yazi::GOLGE, 404, 260 + (a->ascent + a->descent) / 2, 0);
    kirpmayi_bitir();
}

void topluluk() {
    const yazi::atlas* a = yazi::atlas_al(yazi::BASLIK, 11);
    for (int i = 0; i < 5; ++i) {
        const float x = 475.0f + 38.0f * float(i);
        bool uzerinde = false;
        if (arayuz::etkilesim(TOPLULUK[i].anahtar, 0, &uzerinde, nullptr, x, 326, 28, 28))
            baglanti_ac(ayar_degeri(TOPLULUK[i].anahtar));
        const float lx = std::round(x + (28 - yazi::genislik(*a, TOPLULUK[i].etiket, 0)) / 2);
        yazi::yaz(*a, TOPLULUK[i].etiket, uzerinde ? 0xFFE2A0 : 0xE8D7A8, yazi::GOLGE, lx, yazi::ortala(*a, 326, 28), 0);
    }
}

void manset(int k) {
    const haber& h = haberler[size_t(k) + 1];
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 15);
    const float y = 360.0f + 23.0f * float(k);
    bool uzerinde = false;
    if (arayuz::etkilesim(k == 0 ? "haber1" : "haber2", 0, &uzerinde, nullptr, 380, y, 370, 19)) haber_goster(h);
    const float kisa_w = yazi::genislik(*a, h.kisa, 0);
    const float taban = y + 9.5f + (a->ascent + a->descent) / 2;
    kirp(380, y - 2, 370 - kisa_w - 12, 23);
    yazi::yaz(*a, h.baslik, uzerinde ? 0xFFE2A0 : 0xECE4CF, yazi::HALE, 380, taban, 0);
    kirpmayi_bitir();
    yazi::yaz(*a, h.kisa, 0xB8AE96, yazi::HALE, std::round(750 - kisa_w), taban, 0);
}

void mansetler() {
    if (haberler.size() > 1) {
        for (int k = 0; k < 2 && size_t(k) + 1 < haberler.size(); ++k) manset(k);
        return;
    }
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 15);
    yazi::yaz(*a, haber_durum_metni(sunucu_durumu), 0xB8AE96, yazi::HALE, 380, 369.5f + (a->ascent + a->descent) / 2, 0);
}

float guncelleme_bolumu() {
    guncelleme_satiri g =
        guncelleme_durumu(guncelleme::durum.load(), guncelleme::toplam_dosya.load(), guncelleme::biten_dosya.load(),
                          guncelleme::toplam_bayt.load(), guncelleme::inen_bayt.load(), indirme_hizi.hiz);
    const int32_t d = guncelleme::durum.load();
    if (d == guncelleme::DENETLENIYOR || d == guncelleme::INDIRILIYOR) {
        const std::string not_ = guncelleme::deneme_notu_al();
        if (!not_.empty()) g.metin = not_;
    }
    if (oyun_bekleniyor) g.metin = metinler::yaz({metinler::tur::OYUN_ACIK});
    uint32_t renk = 0xF0E6CC;
    if (g.basarisiz) {
        bool uzerinde = false;
        if (arayuz::etkilesim("guncel", 0, &uzerinde, nullptr, 380, 416, 390, 21)) tekrar_dene();
        renk = uzerinde ? 0xFFB8A8 : 0xE08A7A;
    }
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 13);
    const float x = std::round(770 - yazi::genislik(*a, g.metin, 0));
    yazi::yaz(*a, g.metin, renk, yazi::GOLGE, x, 426.5f + (a->ascent + a->descent) / 2, 0);
    return g.oran;
}

void ilerleme_cubugu(float oran) {
    if (oran > 0 && deri.bar_dolgu.tex) {
        kirp(407, 456, 316 * oran, 22);
        doku_ciz(deri.bar_dolgu, 407, 456, 316, 22, 1.0f);
        kirpmayi_bitir();
    }
    resim(deri.bar_cerceve, 355, 432, 420, 70);
}

void dugmeler() {
    const int32_t s = guncelleme::durum.load();
    if (arayuz::dugme("start", 0, deri.ana_dugme, "START", yazi::atlas_al(yazi::BASLIK, 16), 0xFBE3C2,
                      baslat_kapali_mi(s, baglanti_modu, webgiris::suruyor.load()), 356, 512, 136, 45, 2)) {
        if (klasor_uyarisi.t != metinler::tur::YOK && !oyun::kurulu_mu()) {
            hata_goster(metinler::yaz(klasor_uyarisi));
            return;
        }
        paneli_ac(1, kullanici_alani.metin.empty() ? &kullanici_alani : &sifre_alani);
        imlec_zamani = steady_saniye();
    }
    const yazi::atlas* a = yazi::atlas_al(yazi::BASLIK, 12);
    if (arayuz::dugme("web", 0, deri.dugme, "WEB S\xC4\xB0TES\xC4\xB0", a, 0xEFE3C4, false, 497, 519, 136, 32, 1))
        baglanti_ac(ayar_degeri("web"));
    if (arayuz::dugme("ayar", 0, deri.dugme, "AYARLAR", a, 0xEFE3C4, false, 638, 519, 136, 32, 1)) {
        sunucu_alani.metin = ayar_degeri("sunucu");
        paneli_ac(2, &sunucu_alani);
    }
}

void durum_cizgisi() {
    const std::string metin = alt_satir(guncelleme::surum_al(), sunucu_durumu, guncelleme::yedek_al());
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 11);
    yazi::yaz(*a, metin, 0xA89F8A, yazi::GOLGE, std::round(776 - yazi::genislik(*a, metin, 0)),
              591 + (a->ascent + a->descent) / 2, 0);
}

}  // namespace

guncelleme_satiri guncelleme_durumu(int32_t durum, int32_t toplam_dosya, int32_t biten_dosya,
                                    int64_t toplam_bayt, int64_t inen_bayt, double hiz) {
    guncelleme_satiri g;
    switch (durum) {
        case guncelleme::BASLAMADI:
        case guncelleme::DENETLENIYOR: g.metin = "Güncellemeler denetleniyor..."; break;
        case guncelleme::INDIRILIYOR: {
            g.oran = toplam_bayt > 0 ? float(std::min(1.0, double(inen_bayt) / double(toplam_bayt))) : 0.0f;
            const int32_t n = std::min(toplam_dosya, biten_dosya + 1);
            g.metin = "İndiriliyor " + std::to_string(n) + "/" + std::to_string(toplam_dosya) + ORTA_NOKTA +
                      boyut_yazisi(inen_bayt) + " / " + boyut_yazisi(toplam_bayt);
            if (hiz > 1.0) g.metin += ORTA_NOKTA + boyut_yazisi(int64_t(hiz)) + "/sn";
            break;
        }
        case guncelleme::GUNCEL: g.metin = "Oyun güncel"; g.oran = 1; break;
        case guncelleme::BASARISIZ: g.metin = "Güncelleme başarısız · tekrar dene"; g.basarisiz = true; break;
        case guncelleme::YENIDEN_BASLAT: g.metin = "Launcher yenileniyor..."; g.oran = 1; break;
        default: break;
    }
    return g;
}

bool baslat_kapali_mi(int32_t durum, int baglanti_modu_, bool web_giris_suruyor) {
    return baglanti_modu_ == 2 || durum <= guncelleme::INDIRILIYOR || durum == guncelleme::YENIDEN_BASLAT ||
           web_giris_suruyor;
}

std::string alt_satir(const std::string& surum, int sunucu_durumu_, const std::string& yedek) {
    const char* durum = sunucu_durumu_ == SUNUCU_ACIK ? "Açık" : sunucu_durumu_ == SUNUCU_KAPALI ? "Kapalı" : "Bağlanıyor";
    const std::string bas = yedek.empty() ? "" : "Yedek güncelleme sunucusu " + yedek + ORTA_NOKTA;
    return bas + "Sürüm " + (surum.empty() ? std::string("0.1.0") : surum) + ORTA_NOKTA + "Sunucu " + durum;
}

std::string haber_durum_metni(int sunucu_durumu_) {
    if (sunucu_durumu_ == SUNUCU_BAGLANIYOR) return "Haberler yükleniyor...";
    if (sunucu_durumu_ == SUNUCU_KAPALI) return "Sunucuya ulaşılamadı, haberler yüklenemedi.";
    return "";
}

void guncellemeyi_baslat() {
    oyun_bekleniyor = oyun::acik_mi();
    son_bakis = steady_saniye();
    if (oyun_bekleniyor) return;
    guncelleme::kaynak k;
    k.adres = ayar_degeri("guncelleme");
    k.yedekler = guncelleme::adresleri_ayir(ayar_degeri("guncelleme_yedek"));
    k.imza_anahtari = ayar_degeri("imza_anahtari");
    k.imza_sira = ayar_degeri("imza_sira");
    k.hiz_siniri = guncelleme::hiz_siniri_coz(ayar_degeri("indirme_siniri"));
    klasor_uyarisi = klasor_uyarisi_al();
    if (klasor_uyarisi.t != metinler::tur::YOK && !k.adres.empty()) {
        guncelleme::hata_ver(klasor_uyarisi);
        hata_goster(metinler::yaz(klasor_uyarisi));
        return;
    }
    guncelleme::baslat(k, "MorvatanLauncher");
}

void bekleyen_guncellemeyi_baslat() {
    if (!oyun_bekleniyor || steady_saniye() - son_bakis <= 1.0) return;
    guncellemeyi_baslat();
}

void tekrar_dene() {
    hata_goster(guncelleme::mesaj_al() + "\n\nTekrar deneniyor.");
    guncellemeyi_baslat();
}

void ana() {
    resim(deri.arkaplan, 0, 0, 800, 610);
    resim(deri.logo, 14, 416, 320, 168);
    kapat_dugmesi();
    resim(deri.kutu, 350, 48, 430, 271);
    afis();
    topluluk();
    mansetler();
    ilerleme_cubugu(guncelleme_bolumu());
    dugmeler();
    durum_cizgisi();
}

}  // namespace ekran
