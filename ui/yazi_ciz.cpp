// Fonts and text on OpenGL: the atlas cache with its uploads, the scale-change flush, and the
// glyph quads of the three effects recorded into the frame's draw list. The cache is owned here; main thread only.
#include <GLFW/glfw3.h>

#include <cmath>
#include <map>

#include "app/pencere.h"
#include "ui/cizim.h"
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
    cizim::komut k;
    k.karisim = cizim::DUZ;
    k.doku = a.tex;
    const float renk[4] = {r, g, b, alfa};
    for (int i = 0; i < 4; ++i) k.ust[i] = k.alt[i] = renk[i];
    float kx = x * olcek, ky = y * olcek;
    // Only glyphs that can show are recorded: a line far longer than its box (a hostile news
    // feed) costs what is visible, not what it holds. The pen only moves right, so past the
    // right edge (with an em to spare for kerning) nothing more can show.
    float sol, sag, alt, ust;
    cizim::gorunen_alan(sol, sag, alt, ust);
    const float pay = (a.ascent - a.descent) * olcek;
    const float taban = float(tuval_yukseklik) * olcek - ky;  // the baseline, from the bottom
    if (taban - pay > ust || taban + 2 * pay < alt) return;
    int32_t onceki = 0;
    for (size_t i = 0; i < metin.size() && kx <= sag + pay;) {
        const int32_t c = utf8_coz(metin, i);
        auto it = a.index.find(c);
        if (it == a.index.end()) continue;
        kx += kern(a, onceki, c) * olcek;
        stbtt_aligned_quad q;
        stbtt_GetPackedQuad(a.glyphs.data(), a.width, a.height, it->second, &kx, &ky, &q, 0);
        kx += aralik * olcek;
        onceki = c;
        if (q.x1 < sol || q.x0 > sag) continue;
        k.x0 = q.x0 / olcek, k.y0 = q.y0 / olcek, k.x1 = q.x1 / olcek, k.y1 = q.y1 / olcek;
        k.s0 = q.s0, k.t0 = q.t0, k.s1 = q.s1, k.t1 = q.t1;
        cizim::dortgen(k);
    }
}

void yaz(const atlas& a, const std::string& metin, uint32_t renk, int etki, float x, float y, float aralik) {
    if (etki == GOLGE) ciz(a, metin, x, y + 1, 0, 0, 0, 0.85f, aralik);
    if (etki == HALE)
        for (const golge_gecisi& g : HALE_GECISLERI) ciz(a, metin, x + g.dx, y + g.dy, 0, 0, 0, 0.55f, aralik);
    ciz(a, metin, x, y, float(renk >> 16) / 255.0f, float((renk >> 8) & 255) / 255.0f, float(renk & 255) / 255.0f,
        1.0f, aralik);
}

}  // namespace yazi
