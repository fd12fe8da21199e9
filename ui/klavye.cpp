// The keyboard handlers: character input through the field rules, and the action keys.
// The action table is the only state here; it is set once by the modules that own the actions.
#include "ui/klavye.h"

#include <GLFW/glfw3.h>

#include <string>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/gizli.h"
#include "ui/metin_alani.h"
#include "ui/pano.h"
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
    paneli_ac(0, nullptr);
}

void giris_panelini_ac() {
    paneli_ac(1, kullanici_alani.metin.empty() ? &kullanici_alani : &sifre_alani);
    imlec_zamani = steady_saniye();
}

void enter() {
    if (acik_panel == 0) giris_panelini_ac();
    else if (acik_panel == 1 && eylemler.giris_baslat) eylemler.giris_baslat();
    else if (acik_panel == 2 && eylemler.ayar_kaydet) eylemler.ayar_kaydet();
}

// In code mode the name is fixed (the code goes out with the name and password already
// given), so Tab stays on the code field.
void sekme() {
    if (acik_panel != 1) return;
    const bool kod = kod_modu_mu && kod_modu_mu();
    odakla(kod ? &kod_alani : odak == &kullanici_alani ? &sifre_alani : &kullanici_alani);
    imlec_zamani = steady_saniye();
}

// The pasted text lives in one wiping block from the clipboard to the field: it may be a
// password.
void yapistir() {
    std::string ara;
    ara.reserve(PANO_SINIRI);
    if (pano_oku(pencere, ara)) metni_yapistir(ara);
    gizli::sil(ara);
}

// What the player's edit does to a selected text: it goes first.
void seciliyi_kaldir() {
    if (odak && hepsi_secili_mi(*odak)) gizli::sil(odak->metin);
    secili = nullptr;
}

// Ctrl+C and Ctrl+X: the selected text to the clipboard. A password never leaves its field.
void kopyala(bool kes) {
    if (!odak || !hepsi_secili_mi(*odak) || odak->gizli) return;
    pano_yaz(pencere, odak->metin);
    if (kes) seciliyi_kaldir();
    imlec_zamani = steady_saniye();
}

// A shortcut with Ctrl; false when the key is none.
bool kisayol(char harf) {
    switch (harf) {
        case 'a': secili = odak; break;
        case 'c': kopyala(false); break;
        case 'x': kopyala(true); break;
        case 'v':
            seciliyi_kaldir();
            yapistir();
            break;
        default: return false;
    }
    return true;
}

}  // namespace

char kisayol_harfi(const char* ad, int tus_kodu) {
    if (ad && ad[0] && !ad[1]) {
        const char c = ad[0];
        if (c >= 'a' && c <= 'z') return c;
        if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
        return 0;
    }
    if (!ad && tus_kodu >= GLFW_KEY_A && tus_kodu <= GLFW_KEY_Z) return char('a' + (tus_kodu - GLFW_KEY_A));
    return 0;
}

void metni_yapistir(std::string_view metin) {
    const std::string_view bakilan = metin.substr(0, PANO_SINIRI);
    for (size_t i = 0; i < bakilan.size() && odak && kod_noktasi_sayisi(odak->metin) < odak->azami;)
        karakter(uint32_t(yazi::utf8_coz(bakilan, i)));
}

void karakter(uint32_t c) {
    if (!odak || mesaj_kutusu.acik || oyun_durumu != 0) return;
    if (!sinifta_mi(odak->tur, c, hesap_api_var())) return;  // a refused key keeps the selection
    seciliyi_kaldir();
    if (karakter_ekle(*odak, c, hesap_api_var())) imlec_zamani = steady_saniye();
}

void tus(int tus_kodu, int tarama, int eylem, int degistirici) {
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
    if ((degistirici & GLFW_MOD_CONTROL) && kisayol(kisayol_harfi(glfwGetKeyName(tus_kodu, tarama), tus_kodu))) return;
    if (tus_kodu == GLFW_KEY_BACKSPACE) {
        if (hepsi_secili_mi(*odak)) seciliyi_kaldir();
        else son_karakteri_sil(odak->metin);
        imlec_zamani = steady_saniye();
    } else if (tus_kodu == GLFW_KEY_TAB) {
        sekme();
    }
}

}  // namespace arayuz
