// The login flow: giris_baslat on both roads, the web answer hand-over with its table of
// refusals, and panel_kapat. Owns `kod_modu`; main thread only.
#include "web/giris_akisi.h"

#include <GLFW/glfw3.h>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/gizli.h"
#include "platform/oyun.h"
#include "server/baglanti.h"
#include "ui/klavye.h"
#include "ui/metin_alani.h"
#include "updater/durum.h"
#include "web/json.h"
#include "web/webgiris.h"

bool kod_modu = false;  // set by the answer hand-over, cleared by kimlik_sil

namespace {

const size_t EN_KISA_AD = 3;  // bytes; shorter names are refused on both roads

void cevabi_sil() { gizli::sil(webgiris::cevap); }

// Remember-me goes to launcher.ini before any traffic, whatever the outcome.
void hatirla_kaydet() {
    ayar_koy("hatirla", beni_hatirla ? "1" : "0");
    ayar_koy("kullanici", beni_hatirla ? kullanici_alani.metin : "");
    ini_yaz();
}

void kod_alanina_odaklan() {
    odakla(&kod_alani);
    imlec_zamani = steady_saniye();
}

void basari_cevabi() {
    std::string bilet;
    const bool iyi = json_alan(webgiris::cevap, "ticket", bilet) && oyun::bilet_gecerli_mi(bilet);
    kimlik_sil();
    cevabi_sil();
    if (!iyi) {
        gizli::sil(bilet);
        hata_goster(metinler::yaz({metinler::tur::GIRIS_BOZUK_CEVAP}));
        return;
    }
    bilet_ile_oyunu_baslat(bilet, true);
    gizli::sil(bilet);
}

void ret_cevabi() {
    const ret_karari k = ret_karari_ver(webgiris::durum_kodu, webgiris::cevap);
    if (k.tur == ret_karari::KOD_ISTENDI) {
        kod_modu = true;
        gizli::sil(kod_alani.metin);
        bilgi_goster(metinler::yaz(k.metin));
        kod_alanina_odaklan();
        return;
    }
    if (k.tur == ret_karari::KOD_YANLIS) {
        gizli::sil(kod_alani.metin);
        hata_goster(metinler::yaz(k.metin));
        odakla(&kod_alani);
        return;
    }
    kimlik_sil();
    cevabi_sil();
    hata_goster(metinler::yaz(k.metin));
}

// A connection that fails at once (a bad address) has ended the attempt before the password
// moved into the link: it is wiped there too, as at every other end of the attempt.
void sunucu_yolu() {
    sunucu::baglan(2);
    sunucu::kullanici = kullanici_alani.metin;
    sunucu::sifre.assign(sifre_alani.metin.data(), sifre_alani.metin.size());
    gizli::sil(sifre_alani.metin);
    if (baglanti_modu != 2) gizli::sil(sunucu::sifre);
}

bool kod_modunda_mi() { return kod_modu; }

}  // namespace

void bilet_ile_oyunu_baslat(const std::string& bilet, bool paneli_kapat) {
    metinler::ileti hata;
    if (!oyun::baslat(bilet, hata)) {
        hata_goster(metinler::yaz(hata));
        return;
    }
    if (paneli_kapat) paneli_ac(0, nullptr);
    oyun_durumu = 1;
    oyun::baslatma_zamani = steady_saniye();
    if (pencere) glfwHideWindow(pencere);
}

ret_karari ret_karari_ver(long durum, const std::string& cevap) {
    std::string mesaj;
    json_alan(cevap, "message", mesaj);
    ret_karari k;
    if (mesaj == "TOTP_REQUIRED") {
        k.tur = ret_karari::KOD_ISTENDI;
        k.metin = {metinler::tur::IKI_ADIM_GEREKLI};
    } else if (mesaj == "TOTP_INVALID") {
        k.tur = ret_karari::KOD_YANLIS;
        k.metin = {metinler::tur::KOD_YANLIS};
    } else if (mesaj == "INVALID_CREDENTIALS") {
        k.metin = {metinler::tur::SIFRE_HATALI};
    } else if (mesaj == "EMAIL_NOT_VERIFIED") {
        k.metin.t = metinler::tur::EPOSTA_DOGRULANMADI;
        if (!json_alan(cevap, "maskedEmail", k.metin.a)) k.metin.a.clear();
    } else if (!mesaj.empty()) {
        k.metin = {metinler::tur::GIRIS_YAPILAMADI, mesaj};  // the service's own words
    } else {
        k.metin = {metinler::tur::GIRIS_HTTP, "", durum};
    }
    return k;
}

bool guncelleme_suruyor_mu() {
    const int32_t d = guncelleme::durum.load();
    return d <= guncelleme::INDIRILIYOR || d == guncelleme::YENIDEN_BASLAT;
}

void giris_baslat() {
    // Files may still be replaced under a game started now: the panel says so and waits.
    if (baglanti_modu == 2 || webgiris::suruyor.load() || guncelleme_suruyor_mu()) return;
    const bool web = hesap_api_var();
    if (web && kod_modu) {
        if (kod_alani.metin.size() == 6) webgiris::iste(kod_alani.metin);
        else hata_goster(metinler::yaz({metinler::tur::KOD_GIR}));
        return;
    }
    if (kullanici_alani.metin.size() < EN_KISA_AD || sifre_alani.metin.empty()) {
        hata_goster(metinler::yaz({metinler::tur::KIMLIK_GIR}));
        return;
    }
    hatirla_kaydet();
    if (!web) {
        sunucu_yolu();
        return;
    }
    giris_sifresi.assign(sifre_alani.metin.data(), sifre_alani.metin.size());
    gizli::sil(sifre_alani.metin);
    webgiris::iste("");
}

void web_cevabi_devral() {
    if (webgiris::iplik.joinable()) webgiris::iplik.join();
    webgiris::suruyor.exchange(false);
    webgiris::hazir.exchange(false);
    if (webgiris::vazgec) {
        kimlik_sil();
        cevabi_sil();
        return;
    }
    if (webgiris::bozuk) {
        kimlik_sil();
        cevabi_sil();
        hata_goster(metinler::yaz({metinler::tur::GIRIS_BOZUK_CEVAP}));
        return;
    }
    if (webgiris::durum_kodu == 200 || webgiris::durum_kodu == 201) return basari_cevabi();
    if (webgiris::durum_kodu == 0) {
        if (!kod_modu) kimlik_sil();
        hata_goster(metinler::yaz({metinler::tur::GIRIS_SUNUCUSU_YOK, "", 0, 0, webgiris::hata}));
        return;
    }
    ret_cevabi();
}

void panel_kapat() {
    if (acik_panel == 1) {
        if (baglanti_modu == 2) sunucu_sifirla();
        if (webgiris::suruyor.load()) webgiris::vazgec = true;
        else kimlik_sil();
    }
    paneli_ac(0, nullptr);
}

void giris_hazirla() {
    sifre_alani.metin.reserve(gizli::SIFRE_KAPASITESI);
    kod_alani.metin.reserve(gizli::SIFRE_KAPASITESI);
    giris_sifresi.reserve(gizli::SIFRE_KAPASITESI);
    sunucu::sifre.reserve(gizli::SIFRE_KAPASITESI);
    arayuz::eylemler.giris_baslat = giris_baslat;
    arayuz::eylemler.panel_kapat = panel_kapat;
    arayuz::kod_modu_mu = kod_modunda_mi;
}
