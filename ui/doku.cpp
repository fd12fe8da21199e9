// Skin textures and the three drawing primitives on the fixed-function OpenGL pipeline.
// The pixel arithmetic lives in ui/piksel; this file only decodes, uploads and draws.
#include "ui/doku.h"

#include "ui/cizim.h"

#include <GLFW/glfw3.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/pencere.h"
#include "ui/piksel.h"

deri_kaydi deri;     // written once by deri_yukle (and kapanis by the closing screen); main thread
float olcek = 1.0f;  // written by the frame loop's scale check; main thread

namespace {

void seviyeleri_yukle(const piksel::goruntu& taban) {
    std::vector<piksel::goruntu> zincir = piksel::mip_zinciri(taban);
    for (size_t seviye = 0; seviye < zincir.size(); ++seviye) {
        const piksel::goruntu& g = zincir[seviye];
        glTexImage2D(GL_TEXTURE_2D, GLint(seviye), GL_RGBA, g.genislik, g.yukseklik, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, g.veri.data());
    }
}

}  // namespace

doku doku_yukle(const char* ad) {
    const std::string yol = std::string("veri/") + ad;
    int w = 0, h = 0, kanal = 0;
    unsigned char* pikseller = stbi_load(yol.c_str(), &w, &h, &kanal, 4);
    if (!pikseller) {
        std::fprintf(stderr, "gorsel yuklenemedi: %s\n", yol.c_str());
        return doku{};
    }
    piksel::onceden_carp(pikseller, w, h);
    piksel::goruntu taban;
    taban.genislik = w;
    taban.yukseklik = h;
    taban.veri.assign(pikseller, pikseller + size_t(w) * h * 4);
    stbi_image_free(pikseller);

    doku d;
    glGenTextures(1, &d.tex);
    glBindTexture(GL_TEXTURE_2D, d.tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    seviyeleri_yukle(taban);
    d.width = w;
    d.height = h;
    return d;
}

void deri_yukle() {
    deri.arkaplan = doku_yukle("arkaplan.jpg");
    deri.logo = doku_yukle("logo.png");
    deri.buton_kapat = doku_yukle("buton_kapat.png");
    deri.kutu = doku_yukle("kutu.png");
    deri.afis = doku_yukle("afis.jpg");
    deri.bar_cerceve = doku_yukle("bar_cerceve.png");
    deri.bar_dolgu = doku_yukle("bar_dolgu.png");
    deri.alan_yazi = doku_yukle("alan_yazi.png");
    deri.onay_bos = doku_yukle("onay_bos.png");
    deri.onay_dolu = doku_yukle("onay_dolu.png");
    deri.ana_dugme.normal = doku_yukle("buton_ana_normal.png");
    deri.ana_dugme.hover = doku_yukle("buton_ana_hover.png");
    deri.ana_dugme.basili = doku_yukle("buton_ana_basili.png");
    deri.dugme.normal = doku_yukle("buton_normal.png");
    deri.dugme.hover = doku_yukle("buton_hover.png");
    deri.dugme.basili = doku_yukle("buton_basili.png");
}

void doku_ciz(const doku& d, float x, float y, float w, float h, float a) {
    cizim::komut k;
    k.karisim = cizim::ONCARPIMLI;
    k.doku = d.tex;
    k.x0 = x, k.y0 = y, k.x1 = x + w, k.y1 = y + h;
    k.s0 = 0, k.t0 = 0, k.s1 = 1, k.t1 = 1;
    for (int i = 0; i < 4; ++i) k.ust[i] = k.alt[i] = a;
    cizim::dortgen(k);
}

void dikdortgen_ciz(uint32_t renk, float x, float y, float w, float h, float a_ust, float a_alt) {
    cizim::komut k;
    k.karisim = cizim::DUZ;
    k.x0 = x, k.y0 = y, k.x1 = x + w, k.y1 = y + h;
    const float r = float(renk >> 16) / 255.0f;
    const float g = float((renk >> 8) & 255) / 255.0f;
    const float b = float(renk & 255) / 255.0f;
    const float ust[4] = {r, g, b, a_ust}, alt[4] = {r, g, b, a_alt};
    for (int i = 0; i < 4; ++i) k.ust[i] = ust[i], k.alt[i] = alt[i];
    cizim::dortgen(k);
}

void kirp(float x, float y, float w, float h) {
    piksel::kutu k = piksel::kirpma_kutusu(x, y, w, h, olcek, tuval_yukseklik);
    cizim::kirp(k.x, k.y, k.genislik, k.yukseklik);
}

void kirpmayi_bitir() { cizim::kirp_yok(); }

void tuvali_kur(int fb_genislik, int fb_yukseklik) {
    cizim::baslat(fb_genislik, fb_yukseklik, tuval_genislik, tuval_yukseklik);
}

float masaustu_olcegi(int genislik, int yukseklik) {
    GLFWmonitor* ekran = glfwGetPrimaryMonitor();
    if (!ekran) return 1.0f;
    float sx = 1.0f, sy = 1.0f;
    int ax = 0, ay = 0, aw = 0, ah = 0;
    glfwGetMonitorContentScale(ekran, &sx, &sy);
    glfwGetMonitorWorkarea(ekran, &ax, &ay, &aw, &ah);
    return piksel::pencere_olcegi(std::max(sx, sy), aw, ah, genislik, yukseklik);
}

void pencereyi_boyutla(int genislik, int yukseklik) {
    const float s = masaustu_olcegi(genislik, yukseklik);
    const int w = piksel::olcekli(genislik, s), h = piksel::olcekli(yukseklik, s);
    glfwSetWindowSize(pencere, w, h);
    GLFWmonitor* ekran = glfwGetPrimaryMonitor();
    const GLFWvidmode* kip = ekran ? glfwGetVideoMode(ekran) : nullptr;
    if (!kip) return;
    glfwSetWindowPos(pencere, (kip->width - w) / 2, (kip->height - h) / 2);
}
