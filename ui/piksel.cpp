// Pixel arithmetic of the skin: premultiplication, mipmap levels, scissor boxes.
// Pure functions over caller-owned buffers; no OpenGL and no global state.
#include "ui/piksel.h"

#include <algorithm>
#include <cmath>

namespace piksel {

void onceden_carp(uint8_t* rgba, int genislik, int yukseklik) {
    size_t adet = size_t(genislik) * size_t(yukseklik);
    for (size_t i = 0; i < adet; ++i) {
        uint8_t* p = rgba + i * 4;
        unsigned a = p[3];
        for (int k = 0; k < 3; ++k) p[k] = uint8_t(p[k] * a / 255);
    }
}

goruntu yarila(const goruntu& kaynak) {
    const int cw = kaynak.genislik, ch = kaynak.yukseklik;
    goruntu hedef;
    hedef.genislik = std::max(1, cw / 2);
    hedef.yukseklik = std::max(1, ch / 2);
    hedef.veri.resize(size_t(hedef.genislik) * hedef.yukseklik * 4);
    auto px = [&](int r, int c, int k) { return unsigned(kaynak.veri[(size_t(r) * cw + c) * 4 + k]); };
    for (int y = 0; y < hedef.yukseklik; ++y) {
        const int r0 = std::min(2 * y, ch - 1), r1 = std::min(2 * y + 1, ch - 1);
        for (int x = 0; x < hedef.genislik; ++x) {
            const int c0 = std::min(2 * x, cw - 1), c1 = std::min(2 * x + 1, cw - 1);
            uint8_t* out = &hedef.veri[(size_t(y) * hedef.genislik + x) * 4];
            for (int k = 0; k < 4; ++k)
                out[k] = uint8_t((px(r0, c0, k) + px(r0, c1, k) + px(r1, c0, k) + px(r1, c1, k) + 2) >> 2);
        }
    }
    return hedef;
}

std::vector<goruntu> mip_zinciri(const goruntu& taban) {
    std::vector<goruntu> seviyeler{taban};
    while (seviyeler.back().genislik != 1 || seviyeler.back().yukseklik != 1)
        seviyeler.push_back(yarila(seviyeler.back()));
    return seviyeler;
}

kutu kirpma_kutusu(float x, float y, float w, float h, float olcek, int tuval_y) {
    kutu k;
    k.x = int(std::floor(x * olcek));
    k.y = int(std::floor((float(tuval_y) - y - h) * olcek));
    k.genislik = int(std::ceil(w * olcek));
    k.yukseklik = int(std::ceil(h * olcek));
    return k;
}

float pencere_olcegi(float icerik, int alan_w, int alan_h, int w, int h) {
    float s = std::isfinite(icerik) && icerik > 0 ? icerik : 1.0f;
    if (alan_w > 0 && alan_h > 0 && w > 0 && h > 0)
        s = std::min({s, float(alan_w) / float(w), float(alan_h) / float(h)});
    return std::max(s, 0.25f);
}

int olcekli(int mantiksal, float olcek) { return int(std::lround(double(mantiksal) * double(olcek))); }

}  // namespace piksel
