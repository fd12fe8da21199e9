// Fonts and text on OpenGL: the atlas cache with its uploads, the scale-change flush, the
// drawing pass and the three effects. The cache is owned here; main thread only.
#include <GLFW/glfw3.h>

#include <cmath>
#include <map>

#include "ui/doku.h"
#include "ui/yazi.h"

namespace yazi {
namespace {

std::map<int32_t, atlas> onbellek;  // key (anahtar) -> atlas; emptied on a scale change
const float OLCEK_ESIGI = 0.01f;    // smaller scale changes keep the atlases

void yukle_doku(atlas& a, const std::vector<unsigned char>& bitmap) {
    glGenTextures(1, &a.tex);
    glBindTexture(GL_TEXTURE_2D, a.tex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, a.width, a.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, bitmap.data());
}

struct golge_gecisi {
    float dx, dy;
};
const golge_gecisi HALE_GECISLERI[] = {{0, 1.5f}, {1, 0}, {-1, 0}, {0, -1}, {0, 2.5f}};

}  // namespace

atlas* atlas_al(int font, float px) {
    const int32_t k = anahtar(font, px);
    auto it = onbellek.find(k);
    if (it != onbellek.end()) return &it->second;
    atlas& a = onbellek[k];
    std::vector<unsigned char> bitmap;
    atlas_paketle(font, px, olcek, a, bitmap);
    yukle_doku(a, bitmap);
    return &a;
}

void atlaslari_bosalt() {
    for (auto& [k, a] : onbellek) glDeleteTextures(1, &a.tex);
    onbellek.clear();
}

bool olcegi_guncelle(float s) {
    if (!(std::fabs(s - olcek) > OLCEK_ESIGI && s > 0)) return false;
    olcek = s;
    atlaslari_bosalt();
    return true;
}

size_t atlas_sayisi() { return onbellek.size(); }

void ciz(const atlas& a, const std::string& metin, float x, float y, float r, float g, float b, float alfa,
         float aralik) {
    glColor4f(r, g, b, alfa);
    float kx = x * olcek, ky = y * olcek;
    int32_t onceki = 0;
    glBegin(GL_QUADS);
    for (size_t i = 0; i < metin.size();) {
        const int32_t c = utf8_coz(metin, i);
        auto it = a.index.find(c);
        if (it == a.index.end()) continue;
        kx += kern(a, onceki, c) * olcek;
        stbtt_aligned_quad q;
        stbtt_GetPackedQuad(a.glyphs.data(), a.width, a.height, it->second, &kx, &ky, &q, 0);
        glTexCoord2f(q.s0, q.t0); glVertex2f(q.x0 / olcek, q.y0 / olcek);
        glTexCoord2f(q.s1, q.t0); glVertex2f(q.x1 / olcek, q.y0 / olcek);
        glTexCoord2f(q.s1, q.t1); glVertex2f(q.x1 / olcek, q.y1 / olcek);
        glTexCoord2f(q.s0, q.t1); glVertex2f(q.x0 / olcek, q.y1 / olcek);
        kx += aralik * olcek;
        onceki = c;
    }
    glEnd();
}

void yaz(const atlas& a, const std::string& metin, uint32_t renk, int etki, float x, float y, float aralik) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, a.tex);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (etki == GOLGE) ciz(a, metin, x, y + 1, 0, 0, 0, 0.85f, aralik);
    if (etki == HALE)
        for (const golge_gecisi& g : HALE_GECISLERI) ciz(a, metin, x + g.dx, y + g.dy, 0, 0, 0, 0.55f, aralik);
    ciz(a, metin, x, y, float(renk >> 16) / 255.0f, float((renk >> 8) & 255) / 255.0f, float(renk & 255) / 255.0f,
        1.0f, aralik);
}

}  // namespace yazi
