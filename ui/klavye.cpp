// The keyboard handlers: character input through the field rules, and the action keys.
// The action table is the only state here; it is set once by the modules that own the actions.
#include "ui/klavye.h"

#include <GLFW/glfw3.h>

#include <string>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "ui/metin_alani.h"
#include "ui/yazi.h"

namespace arayuz {

klavye_eylemleri eylemler;      // written at start-up by the action owners
bool (*kod_modu_mu)() = nullptr;  // written at start-up by the login flow

namespace {

bool enter_mi(int t) { return t == GLFW_KEY_ENTER || t == GLFW_KEY_KP_ENTER; }

void panel_kapat() {
    if (eylemler.panel_kapat) {
        eylemler.panel_kapat();
        return;
    }
    acik_panel = 0;
    odak = nullptr;
}

void giris_panelini_ac() {
    acik_panel = 1;
    odak = kullanici_alani.metin.empty() ? &kullanici_alani : &sifre_alani;
    imlec_zamani = steady_saniye();
}

void enter() {
    if (acik_panel == 0) giris_panelini_ac();
    else if (acik_panel == 1 && eylemler.giris_baslat) eylemler.giris_baslat();
    else if (acik_panel == 2 && eylemler.ayar_kaydet) eylemler.ayar_kaydet();
}

void sekme() {
    if (acik_panel != 1) return;
    if (odak == &kullanici_alani) odak = (kod_modu_mu && kod_modu_mu()) ? &kod_alani : &sifre_alani;
    else odak = &kullanici_alani;
    imlec_zamani = steady_saniye();
}

void yapistir() {
    const char* pano = glfwGetClipboardString(pencere);
    metni_yapistir(pano ? pano : "");
}

}  // namespace

void metni_yapistir(const std::string& metin) {
    for (size_t i = 0; i < metin.size();) karakter(uint32_t(yazi::utf8_coz(metin, i)));
}

void karakter(uint32_t c) {
    if (!odak || mesaj_kutusu.acik || oyun_durumu != 0) return;
    if (karakter_ekle(*odak, c, hesap_api_var())) imlec_zamani = steady_saniye();
}

void tus(int tus_kodu, int, int eylem, int degistirici) {
    if (eylem == GLFW_RELEASE || oyun_durumu != 0) return;
    if (mesaj_kutusu.acik) {
        if (enter_mi(tus_kodu) || tus_kodu == GLFW_KEY_ESCAPE) mesaj_kutusu.acik = false;
        return;
    }
    if (tus_kodu == GLFW_KEY_ESCAPE) {
        if (acik_panel != 0) panel_kapat();
        return;
    }
    if (enter_mi(tus_kodu)) {
        enter();
        return;
    }
    if (!odak) return;
    if (tus_kodu == GLFW_KEY_BACKSPACE) {
        son_karakteri_sil(odak->metin);
        imlec_zamani = steady_saniye();
    } else if (tus_kodu == GLFW_KEY_TAB) {
        sekme();
    } else if (tus_kodu == GLFW_KEY_V && (degistirici & GLFW_MOD_CONTROL)) {
        yapistir();
    }
}

}  // namespace arayuz
