// The login panel and the settings dialog: dim, box, title, fields, check box, buttons and
// the sign-up link. No state of its own.
#include "screens/paneller.h"

#include <cmath>
#include <string>

#include "app/ayarlar.h"
#include "app/pencere.h"
#include "platform/baglanti.h"
#include "server/baglanti.h"
#include "ui/arayuz.h"
#include "ui/doku.h"
#include "ui/girdi.h"
#include "ui/metin_alani.h"
#include "ui/yazi.h"
#include "web/giris_akisi.h"
#include "web/webgiris.h"

namespace ekran {
namespace {

const uint32_t BASLIK_RENGI = 0xE2C27A;

// The dimmed canvas and the box every dialog stands in.
void zemin() {
    dikdortgen_ciz(0x050609, 0, 0, 800, 610, 0.6f, 0.6f);
    if (deri.kutu.tex) doku_ciz(deri.kutu, 160, 130, 480, 330, 1.0f);
}

void baslik(const std::string& metin, float orta_x) {
    const yazi::atlas* a = yazi::atlas_al(yazi::BASLIK, 18);
    const float w = yazi::genislik(*a, metin, 3);
    yazi::yaz(*a, metin, BASLIK_RENGI, yazi::DUZ, std::round(orta_x - w / 2), 202.5f + (a->ascent + a->descent) / 2, 3);
}

// A body-font line centred on the field column (260..540).
void ortali_satir(const std::string& metin, float boyut, uint32_t renk, float taban_y) {
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, boyut);
    const float x = std::round(260 + (280 - yazi::genislik(*a, metin, 0)) / 2);
    yazi::yaz(*a, metin, renk, yazi::DUZ, x, taban_y + (a->ascent + a->descent) / 2, 0);
}

bool iptal_dugmesi(const char* kimlik) {
    return arayuz::dugme(kimlik, 1, deri.dugme, "İPTAL", yazi::atlas_al(yazi::BASLIK, 12), 0xEFE3C4, false, 272,
                         361, 120, 28, 0);
}

bool ana_dugme(const char* kimlik, const std::string& etiket, bool devre_disi) {
    return arayuz::dugme(kimlik, 1, deri.ana_dugme, etiket, yazi::atlas_al(yazi::BASLIK, 14), 0xFBE3C2, devre_disi,
                         408, 355, 120, 40, 1);
}

void kayit_satiri() {
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 13);
    const std::string s1 = "Hesabın yok mu? ", s2 = "Web sitesinden kayıt ol";
    const float w1 = yazi::genislik(*a, s1, 0), w2 = yazi::genislik(*a, s2, 0);
    const float x1 = std::round(400 - (w1 + w2) / 2), taban = 407.5f + (a->ascent + a->descent) / 2;
    bool uzerinde = false;
    const bool tiklandi = arayuz::etkilesim("kayit", 1, &uzerinde, nullptr, x1 + w1, 397, w2, 21);
    yazi::yaz(*a, s1, 0xB8AE96, yazi::DUZ, x1, taban, 0);
    yazi::yaz(*a, s2, uzerinde ? 0xFFE2A0 : 0xE8C77A, yazi::DUZ, std::round(x1 + w1), taban, 0);
    if (!tiklandi) return;
    std::string adres = ayar_degeri("kayit");
    if (adres.empty()) adres = ayar_degeri("web");
    baglanti_ac(adres);
}

}  // namespace

bool giris_mesgul_mu() { return baglanti_modu == 2 || webgiris::suruyor.load(); }

void giris() {
    zemin();
    baslik("GİRİŞ", 399.5f);
    arayuz::metin_kutusu("ad", kullanici_alani, 221, !kod_modu);
    if (kod_modu) arayuz::metin_kutusu("kod", kod_alani, 275);
    else arayuz::metin_kutusu("sifre", sifre_alani, 275);
    arayuz::onay_kutusu("hatirla", beni_hatirla, 327, 329, 18, 145, "Kullanıcı adımı hatırla", 353);
    if (iptal_dugmesi("iptal")) panel_kapat();
    const bool mesgul = giris_mesgul_mu();
    const bool guncelleniyor = guncelleme_suruyor_mu();
    if (ana_dugme("giris", mesgul ? "BEKLE" : "GİRİŞ", mesgul || guncelleniyor)) giris_baslat();
    if (guncelleniyor) ortali_satir("Güncelleme bitince giriş yapabilirsin.", 13, 0xE8C77A, 407.5f);
    else kayit_satiri();
}

void ayarlar() {
    zemin();
    baslik("AYARLAR", 400);
    ortali_satir("Sunucu adresi", 14, 0xD6CDB8, 235);
    arayuz::metin_kutusu("sunucu", sunucu_alani, 248);
    ortali_satir("Bu bilgisayar: 127.0.0.1  \xC2\xB7  tünel: adres:port", 13, 0xB8AE96, 312.5f);
    if (iptal_dugmesi("aiptal")) panel_kapat();
    if (ana_dugme("kaydet", "KAYDET", false)) ayar_kaydet();
}

}  // namespace ekran
