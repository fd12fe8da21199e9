// Immediate-mode widgets: interaction, skinned buttons, text fields and the check box.
// No state of its own: the input record (ui/girdi) and the field records carry it.
#include "ui/arayuz.h"

#include <cmath>
#include <cstring>

#include "app/pencere.h"
#include "ui/girdi.h"

namespace arayuz {
namespace {

const uint32_t DEVRE_DISI_RENK = 0xB8AE96;  // label of a disabled button
const float ALAN_X = 260, ALAN_W = 280, ALAN_H = 50;   // text field image
const float METIN_X = 296, METIN_W = 212;              // clip of the field text
const float KAYDIRMA_SINIRI = 208;                     // text wider than this scrolls
const double IMLEC_ACIK = 0.55;                        // caret visible part of each second

bool ayni_kimlik(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

bool icinde(float x, float y, float w, float h) {
    return x <= girdi.fare_x && girdi.fare_x < x + w && y <= girdi.fare_y && girdi.fare_y < y + h;
}

const doku& yuz_dokusu(const dugme_derisi& deri, int yuz) {
    return yuz == 2 ? deri.basili : yuz == 1 ? deri.hover : deri.normal;
}

// Draws the field text clipped to the field; the end of a long text stays visible.
void alan_metni(const std::string& gorunen, float y, bool vurgulu, float& w, float& kaydirma) {
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 16);
    w = yazi::genislik(*a, gorunen, 0);
    kaydirma = std::max(0.0f, w - KAYDIRMA_SINIRI);
    kirp(METIN_X, y + 13, METIN_W, 26);
    if (vurgulu) dikdortgen_ciz(0x7A6230, std::round(METIN_X - kaydirma) - 1, y + 15, w + 2, 22, 0.85f, 0.85f);
    yazi::yaz(*a, gorunen, 0xF3EFE6, yazi::DUZ, std::round(METIN_X - kaydirma), yazi::ortala(*a, y + 13, 26), 0);
    kirpmayi_bitir();
}

}  // namespace

bool etkilesim(const char* kimlik, int katman, bool* uzerinde, bool* basili, float x, float y, float w, float h) {
    if (uzerinde) *uzerinde = false;
    if (basili) *basili = false;
    if (katman != girdi.katman || !icinde(x, y, w, h)) return false;
    girdi.el_imleci = true;
    if (girdi.basildi) girdi.etkin_kimlik = kimlik;
    if (uzerinde) *uzerinde = true;
    const bool benim = ayni_kimlik(girdi.etkin_kimlik, kimlik);
    if (basili) *basili = benim && girdi.basili;
    return girdi.birakildi && benim;
}

dugme_hali dugme_durumu(const char* kimlik, int katman, bool devre_disi, float x, float y, float w, float h) {
    bool uzerinde = false, basili = false;
    const bool tiklandi = etkilesim(kimlik, katman, &uzerinde, &basili, x, y, w, h);
    dugme_hali d;
    d.kayma = basili ? 1.0f : 0.0f;
    if (devre_disi) {
        d.yuz = 2;
        return d;
    }
    d.yuz = basili ? 2 : uzerinde ? 1 : 0;
    d.tiklandi = tiklandi;
    return d;
}

bool dugme(const char* kimlik, int katman, const dugme_derisi& deri, const std::string& etiket,
           const yazi::atlas* a, uint32_t renk, bool devre_disi, float x, float y, float w, float h,
           float aralik) {
    const dugme_hali d = dugme_durumu(kimlik, katman, devre_disi, x, y, w, h);
    const doku& yuz = yuz_dokusu(deri, d.yuz);
    if (yuz.tex) doku_ciz(yuz, x, y, w, h, 1.0f);
    const float lx = std::round(x + (w - yazi::genislik(*a, etiket, aralik)) / 2);
    yazi::yaz(*a, etiket, devre_disi ? DEVRE_DISI_RENK : renk, yazi::GOLGE, lx, yazi::ortala(*a, y + d.kayma, h),
              aralik);
    return d.tiklandi;
}

void metin_kutusu(const char* kimlik, metin_alani& alan, float y, bool degisir) {
    if (deri.alan_yazi.tex) doku_ciz(deri.alan_yazi, ALAN_X, y, ALAN_W, ALAN_H, degisir ? 1.0f : 0.55f);
    if (etkilesim(kimlik, 1, nullptr, nullptr, 288, y + 9, 228, 34) && degisir) {
        odakla(&alan);  // a click puts the caret back at the end, unselected
        imlec_zamani = steady_saniye();
    }
    if (!degisir && odak == &alan) odakla(nullptr);
    if (degisir && girdi.katman == 1 && icinde(288, y + 9, 228, 34)) {
        girdi.yazi_imleci = true;
        girdi.el_imleci = false;
    }
    const std::string gorunen = gorunen_metin(alan);
    const bool odakta = odak == &alan;
    float w = 0, kaydirma = 0;
    if (!gorunen.empty() || odakta) alan_metni(gorunen, y, hepsi_secili_mi(alan), w, kaydirma);
    const double gecen = steady_saniye() - imlec_zamani;
    if (odakta && girdi.katman == 1 && std::fmod(gecen, 1.0) < IMLEC_ACIK)
        dikdortgen_ciz(0xE2C27A, METIN_X + w - kaydirma + 1, y + 17, 1.2f, 18, 1.0f, 1.0f);
    if (gorunen.empty() && !odakta) {
        const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 16);
        yazi::yaz(*a, alan.ipucu, 0x8F8778, yazi::DUZ, METIN_X, yazi::ortala(*a, y + 13, 26), 0);
    }
}

void onay_kutusu(const char* kimlik, bool& deger, float kx, float ky, float kb, float isabet_w,
                 const std::string& etiket, float etiket_x) {
    bool uzerinde = false;
    if (etkilesim(kimlik, 1, &uzerinde, nullptr, kx, ky, isabet_w, kb)) deger = !deger;
    const doku& kutu = deger ? deri.onay_dolu : deri.onay_bos;
    if (kutu.tex) doku_ciz(kutu, kx, ky, kb, kb, 1.0f);
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 14);
    yazi::yaz(*a, etiket, uzerinde ? 0xF3EFE6 : 0xD6CDB8, yazi::DUZ, etiket_x, yazi::ortala(*a, ky, kb), 0);
}

}  // namespace arayuz
