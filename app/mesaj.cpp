// Error reporting: the message box record, its drawing and button, and the standard-error line.
// `mesaj_kutusu` is owned here; main thread only.
#include "app/mesaj.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "app/pencere.h"
#include "ui/arayuz.h"
#include "ui/doku.h"
#include "ui/yazi.h"

mesaj_kutusu_kaydi mesaj_kutusu;

namespace {

const float KUTU_W = 460, KUTU_H = 290;
const float GOVDE_W = 356, GOVDE_H = 112;  // the clipped body: four 26-unit rows and a sliver
const float SATIR = 26;

// The body's lines, wrapped once per text: a long news item is laid out when it is opened,
// not on every frame.
struct sarilmis_govde {
    std::string metin;
    const yazi::atlas* atlas = nullptr;
    std::vector<std::string> satirlar;
};
sarilmis_govde sarilmis;

const std::vector<std::string>& govde_satirlari(const yazi::atlas& a) {
    if (sarilmis.atlas != &a || sarilmis.metin != mesaj_kutusu.metin) {
        sarilmis.metin = mesaj_kutusu.metin;
        sarilmis.atlas = &a;
        sarilmis.satirlar = yazi::sar(mesaj_kutusu.metin, a, GOVDE_W);
    }
    return sarilmis.satirlar;
}

void govdeyi_ciz(float x0, float y0) {
    const yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 18);
    kirp(x0 + 52, y0 + 93, GOVDE_W, GOVDE_H);
    const float x = std::round(x0 + 52);
    float ust = y0 + 99;
    for (const std::string& satir : govde_satirlari(*a)) {
        if (ust > y0 + 93 + GOVDE_H) break;  // below the clipped body: nothing more shows
        const float taban = ust + (SATIR + a->ascent + a->descent) * 0.5f;
        yazi::ciz(*a, satir, x, taban, 0.9254902f, 0.9019608f, 0.8392157f, 1.0f, 0);
        ust += SATIR;
    }
    kirpmayi_bitir();
}

}  // namespace

void mesaj_goster(const std::string& baslik, const std::string& metin, uint32_t renk) {
    mesaj_kutusu.baslik = baslik;
    mesaj_kutusu.metin = metin;
    mesaj_kutusu.renk = renk;
    mesaj_kutusu.acik = true;
}

void hata_goster(const std::string& metin) { mesaj_goster("HATA", metin, 0xE07A5F); }

void bilgi_goster(const std::string& metin) { mesaj_goster("BİLGİ", metin, 0xE2C27A); }

void mesaj_ciz() {
    const float x0 = float(tuval_genislik - 460) * 0.5f;
    const float y0 = float(tuval_yukseklik - 290) * 0.5f;
    dikdortgen_ciz(0x050609, 0, 0, float(tuval_genislik), float(tuval_yukseklik), 0.35f, 0.35f);
    if (deri.kutu.tex) doku_ciz(deri.kutu, x0, y0, KUTU_W, KUTU_H, 1.0f);
    const yazi::atlas* baslik = yazi::atlas_al(yazi::BASLIK, 13);
    kirp(x0 + 52, y0 + 60, GOVDE_W, 32);  // a news headline longer than the box stays inside it
    yazi::yaz(*baslik, mesaj_kutusu.baslik, mesaj_kutusu.renk, yazi::DUZ, x0 + 52, y0 + 73 + baslik->ascent, 2.0f);
    kirpmayi_bitir();
    govdeyi_ciz(x0, y0);
    const yazi::atlas* dugme_yazisi = yazi::atlas_al(yazi::BASLIK, 12);
    if (arayuz::dugme("tamam", 2, deri.dugme, "TAMAM", dugme_yazisi, 0xEFE3C4, false, x0 + 170, y0 + 203, 120, 28, 0))
        mesaj_kutusu.acik = false;
}

void hata_yaz(const std::string& metin) { std::fprintf(stderr, "%s\n", metin.c_str()); }
