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

// The body's type: 18 units on rows of 26; a text that needs more than four such rows (a long
// path in it, say) is set smaller, on rows that still fit the body, rather than cut off.
struct govde_yazisi {
    int boyut;
    float satir;
};
const govde_yazisi GOVDE_YAZILARI[] = {{18, 26}, {16, 21}, {14, 17.5f}};

// The body's lines, wrapped once per text: a long news item is laid out when it is opened,
// not on every frame.
struct sarilmis_govde {
    std::string metin;
    const yazi::atlas* ilk_atlas = nullptr;  // the 18-unit atlas the layout was made with
    const yazi::atlas* atlas = nullptr;
    float satir = 26;
    std::vector<std::string> satirlar;
};
sarilmis_govde sarilmis;

const sarilmis_govde& govde_satirlari() {
    const yazi::atlas* ilk = yazi::atlas_al(yazi::GOVDE, GOVDE_YAZILARI[0].boyut);
    if (sarilmis.atlas && sarilmis.metin == mesaj_kutusu.metin && ilk == sarilmis.ilk_atlas) return sarilmis;
    sarilmis.metin = mesaj_kutusu.metin;
    sarilmis.ilk_atlas = ilk;
    for (const govde_yazisi& g : GOVDE_YAZILARI) {
        sarilmis.atlas = yazi::atlas_al(yazi::GOVDE, g.boyut);
        sarilmis.satir = g.satir;
        sarilmis.satirlar = yazi::sar(mesaj_kutusu.metin, *sarilmis.atlas, GOVDE_W);
        if (float(sarilmis.satirlar.size()) * g.satir <= GOVDE_H - 6) break;
    }
    return sarilmis;
}

void govdeyi_ciz(float x0, float y0) {
    const sarilmis_govde& g = govde_satirlari();
    const yazi::atlas* a = g.atlas;
    kirp(x0 + 52, y0 + 93, GOVDE_W, GOVDE_H);
    const float x = std::round(x0 + 52);
    float ust = y0 + 99;
    for (const std::string& satir : g.satirlar) {
        if (ust > y0 + 93 + GOVDE_H) break;  // below the clipped body: nothing more shows
        const float taban = ust + (g.satir + a->ascent + a->descent) * 0.5f;
        yazi::ciz(*a, satir, x, taban, 0.9254902f, 0.9019608f, 0.8392157f, 1.0f, 0);
        ust += g.satir;
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
