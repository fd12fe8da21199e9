// deri_uret: draws every skin image of the launcher (backgrounds, frames, buttons, logo,
// icon) procedurally and writes them into a veri/ directory. Its output is committed.
//
// Usage: deri_uret VERI_DIR
// Needs the two fonts under VERI_DIR/font/. Every image is drawn at twice the logical size
// it is shown at, so it stays sharp on high-density screens. One theme: night blues and
// browns with warm gold metal. Deterministic: the same program gives the same bytes.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#include <stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// ---- colours and canvas ----

struct renk {
    float r, g, b, a;
};

renk hex(uint32_t c, float a = 1.0f) {
    return {((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f, a};
}

renk karis(renk x, renk y, float t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

float kenetle(float v, float lo = 0.0f, float hi = 1.0f) { return std::max(lo, std::min(hi, v)); }

float yumusak(float a, float b, float x) {
    float t = kenetle((x - a) / (b - a));
    return t * t * (3 - 2 * t);
}

// Straight-alpha float canvas; composition is "source over".
struct tuval {
    int w, h;
    std::vector<renk> p;
    tuval(int w_, int h_, renk dolgu = {0, 0, 0, 0}) : w(w_), h(h_), p(size_t(w_) * h_, dolgu) {}
    renk& at(int x, int y) { return p[size_t(y) * w + x]; }

    void boya(int x, int y, renk c, float kapsama) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        float sa = c.a * kenetle(kapsama);
        if (sa <= 0) return;
        renk& d = at(x, y);
        float oa = sa + d.a * (1 - sa);
        if (oa <= 0) return;
        d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
        d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
        d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
        d.a = oa;
    }
};

// A single-channel coverage mask, used for text, glows and shadows.
struct maske {
    int w, h;
    std::vector<float> v;
    maske(int w_, int h_) : w(w_), h(h_), v(size_t(w_) * h_, 0.0f) {}
    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= w || y >= h) return 0;
        return v[size_t(y) * w + x];
    }
};

// ---- noise ----

float hash2(int x, int y, int tohum) {
    uint32_t n = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(tohum) * 2246822519u;
    n = (n ^ (n >> 13)) * 1274126177u;
    n ^= n >> 16;
    return float(n & 0xFFFFFF) / float(0xFFFFFF);
}

float deger_gurultu(float x, float y, int tohum) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    float fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hash2(ix, iy, tohum), b = hash2(ix + 1, iy, tohum);
    float c = hash2(ix, iy + 1, tohum), d = hash2(ix + 1, iy + 1, tohum);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float fbm(float x, float y, int tohum, int oktav = 5) {
    float toplam = 0, genlik = 0.5f, siklik = 1.0f, norm = 0;
    for (int i = 0; i < oktav; ++i) {
        toplam += genlik * deger_gurultu(x * siklik, y * siklik, tohum + i * 17);
        norm += genlik;
        genlik *= 0.5f;
        siklik *= 2.03f;
    }
    return toplam / norm;
}

// ---- shapes ----

// Signed distance to a rounded rectangle centred at (cx, cy) with half sizes hw, hh.
float yuvarlak_kutu_mesafe(float px, float py, float cx, float cy, float hw, float hh, float r) {
    float qx = std::fabs(px - cx) - hw + r, qy = std::fabs(py - cy) - hh + r;
    float dis = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return dis + std::min(std::max(qx, qy), 0.0f) - r;
}

float cizgi_mesafe(float px, float py, float ax, float ay, float bx, float by) {
    float vx = bx - ax, vy = by - ay, wx = px - ax, wy = py - ay;
    float t = kenetle((wx * vx + wy * vy) / (vx * vx + vy * vy));
    return std::hypot(wx - vx * t, wy - vy * t);
}

float kapsama(float mesafe) { return kenetle(0.5f - mesafe); }

struct kutu_tanimi {
    float x0, y0, x1, y1, r;
    float mesafe(float px, float py) const {
        return yuvarlak_kutu_mesafe(px, py, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2, r);
    }
};

// Fills a rounded box with a vertical gradient from `ust` to `alt`.
void kutu_doldur(tuval& t, const kutu_tanimi& k, renk ust, renk alt) {
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            float c = kapsama(k.mesafe(x + 0.5f, y + 0.5f));
            if (c <= 0) continue;
            float v = kenetle((y + 0.5f - k.y0) / (k.y1 - k.y0));
            t.boya(x, y, karis(ust, alt, v), c);
        }
}

// Strokes the outline of a rounded box, `kalinlik` pixels wide, with a vertical gradient.
void kutu_cerceve(tuval& t, const kutu_tanimi& k, float kalinlik, renk ust, renk alt) {
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            float d = std::fabs(k.mesafe(x + 0.5f, y + 0.5f) + kalinlik / 2) - kalinlik / 2;
            float c = kapsama(d);
            if (c <= 0) continue;
            float v = kenetle((y + 0.5f - k.y0) / (k.y1 - k.y0));
            t.boya(x, y, karis(ust, alt, v), c);
        }
}

// A diamond (rotated square) ornament of half-diagonal r.
void elmas(tuval& t, float cx, float cy, float r, renk c) {
    for (int y = int(cy - r - 2); y <= int(cy + r + 2); ++y)
        for (int x = int(cx - r - 2); x <= int(cx + r + 2); ++x) {
            float d = (std::fabs(x + 0.5f - cx) + std::fabs(y + 0.5f - cy) - r) * 0.7071f;
            t.boya(x, y, c, kapsama(d));
        }
}

void cizgi(tuval& t, float ax, float ay, float bx, float by, float kalinlik, renk c) {
    int x0 = int(std::min(ax, bx) - kalinlik - 2), x1 = int(std::max(ax, bx) + kalinlik + 2);
    int y0 = int(std::min(ay, by) - kalinlik - 2), y1 = int(std::max(ay, by) + kalinlik + 2);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            t.boya(x, y, c, kapsama(cizgi_mesafe(x + 0.5f, y + 0.5f, ax, ay, bx, by) - kalinlik / 2));
}

void daire(tuval& t, float cx, float cy, float r, renk c) {
    for (int y = int(cy - r - 2); y <= int(cy + r + 2); ++y)
        for (int x = int(cx - r - 2); x <= int(cx + r + 2); ++x)
            t.boya(x, y, c, kapsama(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - r));
}

// ---- masks: blur, dilation, painting ----

void kutu_bulanik(maske& m, int yaricap) {
    if (yaricap <= 0) return;
    std::vector<float> tmp(m.v.size());
    for (int gecis = 0; gecis < 3; ++gecis) {
        for (int y = 0; y < m.h; ++y)
            for (int x = 0; x < m.w; ++x) {
                float s = 0;
                for (int k = -yaricap; k <= yaricap; ++k) s += m.at(x + k, y);
                tmp[size_t(y) * m.w + x] = s / (2 * yaricap + 1);
            }
        for (int y = 0; y < m.h; ++y)
            for (int x = 0; x < m.w; ++x) {
                float s = 0;
                for (int k = -yaricap; k <= yaricap; ++k) {
                    int yy = y + k;
                    if (yy >= 0 && yy < m.h) s += tmp[size_t(yy) * m.w + x];
                }
                m.v[size_t(y) * m.w + x] = s / (2 * yaricap + 1);
            }
    }
}

maske genislet(const maske& m, int yaricap) {
    maske out(m.w, m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float best = 0;
            for (int dy = -yaricap; dy <= yaricap; ++dy)
                for (int dx = -yaricap; dx <= yaricap; ++dx) {
                    if (dx * dx + dy * dy > yaricap * yaricap) continue;
                    best = std::max(best, m.at(x + dx, y + dy));
                }
            out.v[size_t(y) * m.w + x] = best;
        }
    return out;
}

// Paints colour c through the mask, shifted by (ox, oy), with a vertical gradient to c2.
void maske_boya(tuval& t, const maske& m, int ox, int oy, renk c, renk c2, float y0, float y1) {
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float a = m.v[size_t(y) * m.w + x];
            if (a <= 0) continue;
            float v = kenetle((y + oy - y0) / std::max(1.0f, y1 - y0));
            t.boya(x + ox, y + oy, karis(c, c2, v), a);
        }
}

// ---- text ----

struct yazi_tipi {
    std::vector<unsigned char> bayt;
    stbtt_fontinfo bilgi{};
};

bool tip_yukle(const std::string& yol, yazi_tipi& t) {
    std::ifstream f(yol, std::ios::binary);
    t.bayt.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    if (t.bayt.empty()) return false;
    return stbtt_InitFont(&t.bilgi, t.bayt.data(), stbtt_GetFontOffsetForIndex(t.bayt.data(), 0)) != 0;
}

float yazi_genisligi(const yazi_tipi& f, const std::string& s, float px, float aralik) {
    float olc = stbtt_ScaleForPixelHeight(&f.bilgi, px), w = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        int adv, lsb;
        stbtt_GetCodepointHMetrics(&f.bilgi, (unsigned char)s[i], &adv, &lsb);
        w += adv * olc + (i + 1 < s.size() ? aralik : 0);
        if (i + 1 < s.size()) w += olc * stbtt_GetCodepointKernAdvance(&f.bilgi, s[i], s[i + 1]);
    }
    return w;
}

// Rasterises ASCII text into a mask; (x, taban) is the pen start and baseline.
void yazi_maske(maske& m, const yazi_tipi& f, const std::string& s, float px, float x, float taban,
                float aralik) {
    float olc = stbtt_ScaleForPixelHeight(&f.bilgi, px);
    for (size_t i = 0; i < s.size(); ++i) {
        int cp = (unsigned char)s[i];
        int bw, bh, bx, by;
        float alt_x = x - std::floor(x);
        unsigned char* bit =
            stbtt_GetCodepointBitmapSubpixel(&f.bilgi, olc, olc, alt_x, 0, cp, &bw, &bh, &bx, &by);
        for (int yy = 0; yy < bh; ++yy)
            for (int xx = 0; xx < bw; ++xx) {
                int tx = int(std::floor(x)) + bx + xx, ty = int(std::lround(taban)) + by + yy;
                if (tx < 0 || ty < 0 || tx >= m.w || ty >= m.h) continue;
                float& d = m.v[size_t(ty) * m.w + tx];
                d = std::max(d, bit[yy * bw + xx] / 255.0f);
            }
        stbtt_FreeBitmap(bit, nullptr);
        int adv, lsb;
        stbtt_GetCodepointHMetrics(&f.bilgi, cp, &adv, &lsb);
        x += adv * olc + aralik;
        if (i + 1 < s.size()) x += olc * stbtt_GetCodepointKernAdvance(&f.bilgi, s[i], s[i + 1]);
    }
}

// Gold lettering: blurred drop shadow, dark outline, gradient fill and a thin top highlight.
void altin_yazi(tuval& t, const yazi_tipi& f, const std::string& s, float px, float cx, float taban,
                float aralik, float kontur) {
    float w = yazi_genisligi(f, s, px, aralik);
    maske m(t.w, t.h);
    yazi_maske(m, f, s, px, cx - w / 2, taban, aralik);
    maske golge = genislet(m, int(kontur + 1));
    kutu_bulanik(golge, int(kontur * 1.5f) + 2);
    maske_boya(t, golge, 0, int(kontur), hex(0x000000, 0.85f), hex(0x000000, 0.85f), 0, 1);
    maske cerceve = genislet(m, int(kontur));
    maske_boya(t, cerceve, 0, 0, hex(0x24170a), hex(0x140c05), taban - px * 0.7f, taban);
    float ust = taban - px * 0.72f;
    maske_boya(t, m, 0, 0, hex(0xfff1c4), hex(0xd9a441), ust, taban - px * 0.3f);
    maske alt(t.w, t.h);
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x)
            if (y > taban - px * 0.3f) alt.v[size_t(y) * t.w + x] = m.v[size_t(y) * t.w + x];
    maske_boya(t, alt, 0, 0, hex(0xd9a441), hex(0x8f5b1a), taban - px * 0.3f, taban);
}

// ---- output ----

std::vector<uint8_t> baytlar(const tuval& t, bool saydam) {
    std::vector<uint8_t> out(size_t(t.w) * t.h * 4);
    for (size_t i = 0; i < t.p.size(); ++i) {
        const renk& c = t.p[i];
        float a = saydam ? c.a : 1.0f;
        // Opaque images are composited over black so that no transparency leaks into a JPEG.
        float k = saydam ? 1.0f : c.a;
        out[i * 4 + 0] = uint8_t(std::lround(kenetle(c.r * k) * 255));
        out[i * 4 + 1] = uint8_t(std::lround(kenetle(c.g * k) * 255));
        out[i * 4 + 2] = uint8_t(std::lround(kenetle(c.b * k) * 255));
        out[i * 4 + 3] = uint8_t(std::lround(kenetle(a) * 255));
    }
    return out;
}

bool png_yaz(const std::string& yol, const tuval& t) {
    std::vector<uint8_t> b = baytlar(t, true);
    return stbi_write_png(yol.c_str(), t.w, t.h, 4, b.data(), t.w * 4) != 0;
}

bool jpg_yaz(const std::string& yol, const tuval& t) {
    std::vector<uint8_t> b = baytlar(t, false);
    return stbi_write_jpg(yol.c_str(), t.w, t.h, 4, b.data(), 92) != 0;
}

// ---- landscapes ----

struct manzara_paleti {
    renk gok_ust, gok_orta, ufuk;   // sky from top to horizon
    renk isik;                      // glow of the moon or sun
    float isik_x, isik_y, isik_r;   // its centre and disc radius, as fractions of the width
    renk sirt[3];                   // mountain ridges, far to near
    renk sis;                       // mist between the ridges
    bool yildiz;                    // a starry sky
    float ufuk_y;                   // horizon height as a fraction of the height
    int tohum;
};

float sirt_yuksekligi(float x, float taban, float genlik, float olcek, int tohum) {
    float n = fbm(x * olcek, 0.5f, tohum, 6);
    float tepe = std::pow(1.0f - std::fabs(deger_gurultu(x * olcek * 0.7f, 3.1f, tohum + 5) * 2 - 1), 2.0f);
    return taban - genlik * (0.55f * n + 0.45f * tepe);
}

void gokyuzu(tuval& t, const manzara_paleti& p) {
    float ix = p.isik_x * t.w, iy = p.isik_y * t.h, ir = p.isik_r * t.w;
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            float v = float(y) / (p.ufuk_y * t.h);
            renk c = v < 0.6f ? karis(p.gok_ust, p.gok_orta, yumusak(0, 0.6f, v))
                              : karis(p.gok_orta, p.ufuk, yumusak(0.6f, 1.0f, v));
            float bulut = fbm(x * 3.0f / t.w, y * 9.0f / t.w, p.tohum + 40, 5);
            c = karis(c, p.ufuk, 0.18f * yumusak(0.45f, 0.8f, bulut) * yumusak(0.1f, 0.9f, v));
            float d = std::hypot(x - ix, y - iy) / t.w;
            float parilti = std::exp(-d * 7.0f) * 0.55f + std::exp(-d * 25.0f) * 0.35f;
            c = karis(c, p.isik, kenetle(parilti));
            c.a = 1;
            t.at(x, y) = c;
        }
    if (p.yildiz)
        for (int i = 0; i < t.w * t.h / 2600; ++i) {
            float x = hash2(i, 1, p.tohum) * t.w, y = hash2(i, 2, p.tohum) * t.h * p.ufuk_y * 0.75f;
            float parlak = 0.25f + 0.75f * std::pow(hash2(i, 3, p.tohum), 3.0f);
            daire(t, x, y, 0.6f + parlak * 0.9f, hex(0xf4ead2, parlak * 0.8f));
        }
    daire(t, ix, iy, ir, karis(p.isik, hex(0xffffff), 0.55f));
}

// A walled keep with towers and lit windows, standing on the ground line `zemin`.
void kale(tuval& t, float cx, float zemin, float olc, renk golge, renk pencere_isigi) {
    struct kule { float dx, w, h; bool sivri; };
    const kule kuleler[] = {{-70, 26, 120, true}, {-30, 46, 170, true}, {22, 34, 210, true},
                            {62, 28, 135, true},  {-50, 130, 70, false}, {40, 70, 85, false}};
    for (const kule& k : kuleler) {
        float x0 = cx + k.dx * olc, x1 = x0 + k.w * olc, ust = zemin - k.h * olc;
        for (int y = int(ust); y < int(zemin + 4); ++y)
            for (int x = int(x0); x < int(x1); ++x) t.boya(x, y, golge, 1);
        if (k.sivri) {
            float tepe = ust - k.w * olc * 1.1f, orta = (x0 + x1) / 2;
            for (int y = int(tepe); y < int(ust) + 1; ++y) {
                float yari = (x1 - x0) * 0.62f * (y - tepe) / (ust - tepe);
                for (int x = int(orta - yari); x <= int(orta + yari); ++x) t.boya(x, y, golge, 1);
            }
        } else {
            for (float x = x0; x < x1; x += 10 * olc)
                for (int y = int(ust - 6 * olc); y < int(ust); ++y)
                    for (int xx = int(x); xx < int(x + 5 * olc); ++xx) t.boya(xx, y, golge, 1);
        }
        for (int i = 0; i < 3; ++i) {
            if (hash2(int(k.dx), i, 7) < 0.45f) continue;
            float wx = (x0 + x1) / 2, wy = ust + (20 + i * 28) * olc;
            if (wy > zemin - 8 * olc) continue;
            for (int y = int(wy); y < int(wy + 7 * olc); ++y)
                for (int x = int(wx - 1.5f * olc); x < int(wx + 1.5f * olc); ++x)
                    t.boya(x, y, pencere_isigi, 0.9f);
        }
    }
}

void sirtlar(tuval& t, const manzara_paleti& p, float kale_x) {
    const float taban[3] = {0.68f, 0.78f, 0.93f}, genlik[3] = {0.26f, 0.2f, 0.1f};
    const float sik[3] = {4.5f, 6.0f, 8.0f};
    for (int katman = 0; katman < 3; ++katman) {
        for (int x = 0; x < t.w; ++x) {
            float u = float(x) / t.w;
            float tepe = sirt_yuksekligi(u, taban[katman] * t.h, genlik[katman] * t.h, sik[katman],
                                         p.tohum + katman * 101);
            for (int y = std::max(0, int(tepe) - 1); y < t.h; ++y) {
                float c = kenetle(y + 1 - tepe);
                float derin = kenetle((y - tepe) / (t.h * 0.25f));
                t.boya(x, y, karis(p.sirt[katman], hex(0x050506), derin * 0.5f), c);
            }
        }
        if (katman == 1 && kale_x > 0) {
            float zemin = sirt_yuksekligi(kale_x, taban[1] * t.h, genlik[1] * t.h, sik[1], p.tohum + 101);
            kale(t, kale_x * t.w, zemin + 6, t.w / 1600.0f * 0.9f, p.sirt[1], hex(0xffc46b));
        }
        if (katman < 2)
            for (int y = 0; y < t.h; ++y)
                for (int x = 0; x < t.w; ++x) {
                    float bant = std::exp(-std::pow((float(y) / t.h - taban[katman] - 0.02f) / 0.05f, 2.0f));
                    float n = fbm(x * 4.0f / t.w, y * 14.0f / t.w, p.tohum + 300 + katman, 4);
                    t.boya(x, y, p.sis, bant * yumusak(0.35f, 0.75f, n) * 0.55f);
                }
    }
}

void vinyet(tuval& t, float guc) {
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            float dx = (x + 0.5f) / t.w - 0.5f, dy = (y + 0.5f) / t.h - 0.5f;
            float d = std::sqrt(dx * dx * 1.2f + dy * dy);
            t.boya(x, y, hex(0x000000), guc * yumusak(0.3f, 0.8f, d));
        }
}

tuval manzara(int w, int h, const manzara_paleti& p, float kale_x) {
    tuval t(w, h);
    gokyuzu(t, p);
    sirtlar(t, p, kale_x);
    return t;
}

// ---- the skin images ----

manzara_paleti gece_paleti() {
    manzara_paleti p;
    p.gok_ust = hex(0x070a12);
    p.gok_orta = hex(0x141a2b);
    p.ufuk = hex(0x4a3424);
    p.isik = hex(0xc9b48a);
    p.isik_x = 0.22f; p.isik_y = 0.2f; p.isik_r = 0.026f;
    p.sirt[0] = hex(0x1d2130);
    p.sirt[1] = hex(0x13151e);
    p.sirt[2] = hex(0x0a0b10);
    p.sis = hex(0x6a6a78);
    p.yildiz = true;
    p.ufuk_y = 0.72f;
    p.tohum = 11;
    return p;
}

manzara_paleti gunbatimi_paleti(int tohum) {
    manzara_paleti p;
    p.gok_ust = hex(0x1c1430);
    p.gok_orta = hex(0x6a2f3c);
    p.ufuk = hex(0xe0914a);
    p.isik = hex(0xffcf7a);
    p.isik_x = 0.63f; p.isik_y = 0.6f; p.isik_r = 0.045f;
    p.sirt[0] = hex(0x4a2a3a);
    p.sirt[1] = hex(0x2a1724);
    p.sirt[2] = hex(0x120a10);
    p.sis = hex(0xd08a6a);
    p.yildiz = false;
    p.ufuk_y = 0.75f;
    p.tohum = tohum;
    return p;
}

// The window frame: a dark edge with a fine gold line just inside it.
void pencere_cercevesi(tuval& t, float s) {
    kutu_cerceve(t, {0, 0, float(t.w), float(t.h), 0}, 3 * s, hex(0x000000, 0.9f), hex(0x000000, 0.9f));
    kutu_cerceve(t, {3 * s, 3 * s, t.w - 3 * s, t.h - 3 * s, 0}, 1.0f * s, hex(0xc9a35a, 0.9f),
                 hex(0x7d6235, 0.9f));
}

tuval arkaplan() {
    const float s = 2;
    tuval t = manzara(int(800 * s), int(610 * s), gece_paleti(), 0.17f);
    // Keep the lower band dark so the logo, bar and buttons read well.
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x)
            t.boya(x, y, hex(0x07080b), 0.65f * yumusak(0.62f, 0.95f, float(y) / t.h));
    vinyet(t, 0.55f);
    pencere_cercevesi(t, s);
    return t;
}

tuval afis() {
    tuval t = manzara(692, 352, gunbatimi_paleti(23), 0.3f);
    vinyet(t, 0.35f);
    kutu_cerceve(t, {0, 0, 692, 352, 0}, 2, hex(0x1a1208), hex(0x1a1208));
    return t;
}

tuval kapanis() {
    manzara_paleti p = gunbatimi_paleti(57);
    p.isik_x = 0.38f;
    p.isik_y = 0.55f;
    tuval t = manzara(2560, 1280, p, 0.2f);
    // Darken the lower right, where the logo stands.
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            float d = std::hypot((x - 0.8f * t.w) / t.w, (y - 0.78f * t.h) / t.h);
            t.boya(x, y, hex(0x050304), 0.55f * (1 - yumusak(0.05f, 0.35f, d)));
        }
    vinyet(t, 0.5f);
    return t;
}

tuval logo(const yazi_tipi& baslik) {
    tuval t(640, 336);
    altin_yazi(t, baslik, "MORVATAN", 118, 320, 180, 2, 4);
    // Ornament: two rules with a diamond between "MORVATAN" and "ONLINE".
    float y = 212;
    cizgi(t, 120, y, 290, y, 2.0f, hex(0xd9b25e, 0.95f));
    cizgi(t, 350, y, 520, y, 2.0f, hex(0xd9b25e, 0.95f));
    elmas(t, 320, y, 10, hex(0x2a1a0a));
    elmas(t, 320, y, 7, hex(0xf2d27e));
    elmas(t, 110, y, 5, hex(0xd9b25e));
    elmas(t, 530, y, 5, hex(0xd9b25e));
    altin_yazi(t, baslik, "ONLINE", 48, 320, 272, 18, 2.5f);
    return t;
}

tuval buton_kapat() {
    tuval t(72, 72);
    daire(t, 36, 37.5f, 31, hex(0x000000, 0.45f));
    daire(t, 36, 36, 30, hex(0xb08a45));
    daire(t, 36, 36, 27, hex(0x2a1d12));
    daire(t, 36, 36, 25, hex(0x1a1410));
    cizgi(t, 26, 26, 46, 46, 4.5f, hex(0xe8cf8f));
    cizgi(t, 46, 26, 26, 46, 4.5f, hex(0xe8cf8f));
    return t;
}

tuval kutu() {
    tuval t(960, 660);
    kutu_tanimi dis{6, 6, 954, 654, 24};
    kutu_doldur(t, dis, hex(0x16171e, 0.94f), hex(0x0d0d12, 0.96f));
    kutu_cerceve(t, dis, 4, hex(0xe0bd72), hex(0x8a6a35));
    kutu_cerceve(t, {20, 20, 940, 640, 14}, 1.6f, hex(0x8a6f3e, 0.85f), hex(0x5a4526, 0.85f));
    // A soft warm glow along the top edge.
    for (int y = 10; y < 120; ++y)
        for (int x = 0; x < t.w; ++x)
            if (dis.mesafe(x + 0.5f, y + 0.5f) < -6)
                t.boya(x, y, hex(0xc9a35a), 0.07f * (1 - (y - 10) / 110.0f));
    const float koseler[4][2] = {{20, 20}, {940, 20}, {20, 640}, {940, 640}};
    for (const auto& k : koseler) {
        elmas(t, k[0], k[1], 11, hex(0x1a120a));
        elmas(t, k[0], k[1], 8, hex(0xe2c27a));
    }
    elmas(t, 480, 20, 8, hex(0x1a120a));
    elmas(t, 480, 20, 5.5f, hex(0xe2c27a));
    elmas(t, 480, 640, 8, hex(0x1a120a));
    elmas(t, 480, 640, 5.5f, hex(0xe2c27a));
    return t;
}

tuval bar_cerceve() {
    tuval t(840, 140);
    kutu_tanimi yuva{104, 48, 736, 92, 6};  // the slot the fill shows through (407, 456 on screen)
    kutu_tanimi ray{86, 34, 754, 106, 14};
    kutu_doldur(t, ray, hex(0x000000, 0.0f), hex(0x000000, 0.0f));
    kutu_cerceve(t, ray, 5, hex(0xf0d18a), hex(0x7a5a28));
    kutu_cerceve(t, {98, 42, 742, 98, 9}, 7, hex(0x15110c, 0.96f), hex(0x221a10, 0.96f));
    // Recessed look: dark inner edge at the top of the slot and a faint tint over the track.
    for (int y = 48; y < 92; ++y)
        for (int x = 104; x < 736; ++x) {
            float d = yuva.mesafe(x + 0.5f, y + 0.5f);
            if (d > 0) continue;
            float kenar = std::exp(d / 3.0f) * 0.55f + std::exp(-(y - 48) / 5.0f) * 0.35f;
            t.boya(x, y, hex(0x000000), kenar + 0.18f);
        }
    kutu_cerceve(t, yuva, 1.2f, hex(0x000000, 0.8f), hex(0x5a4526, 0.8f));
    for (float x : {58.0f, 782.0f}) {
        elmas(t, x, 70, 22, hex(0x1a120a));
        elmas(t, x, 70, 18, hex(0xd9b25e));
        elmas(t, x, 70, 10, hex(0x3a2a14));
        elmas(t, x, 70, 6, hex(0xf6dc98));
    }
    return t;
}

tuval bar_dolgu() {
    tuval t(632, 44);
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) {
            float v = (y + 0.5f) / t.h;
            renk c = v < 0.35f ? karis(hex(0xfff0b8), hex(0xe8b04e), v / 0.35f)
                               : karis(hex(0xe8b04e), hex(0x94591a), (v - 0.35f) / 0.65f);
            float serit = std::fmod(x + y * 0.8f, 28.0f) < 14 ? 0.06f : 0.0f;
            c = karis(c, hex(0xffffff), serit);
            c.a = 1;
            t.at(x, y) = c;
        }
    return t;
}

tuval alan_yazi() {
    tuval t(560, 100);
    kutu_tanimi alan{46, 12, 514, 88, 8};
    kutu_doldur(t, alan, hex(0x08090c, 0.92f), hex(0x121217, 0.92f));
    for (int y = 12; y < 30; ++y)
        for (int x = 46; x < 514; ++x)
            if (alan.mesafe(x + 0.5f, y + 0.5f) < 0) t.boya(x, y, hex(0x000000), 0.35f * (30 - y) / 18.0f);
    kutu_cerceve(t, alan, 2.2f, hex(0x8a6a35), hex(0xc9a35a));
    return t;
}

tuval onay(bool dolu) {
    tuval t(36, 36);
    kutu_tanimi k{3, 3, 33, 33, 6};
    kutu_doldur(t, k, dolu ? hex(0x3a2a14) : hex(0x0e0e12), dolu ? hex(0x22180c) : hex(0x17161b));
    kutu_cerceve(t, k, 2.4f, hex(0xe0bd72), hex(0x9a7a40));
    if (dolu) {
        cizgi(t, 10, 18.5f, 15.5f, 24.5f, 3.6f, hex(0xffe3a0));
        cizgi(t, 15.5f, 24.5f, 26.5f, 11, 3.6f, hex(0xffe3a0));
    }
    return t;
}

struct dugme_gorunumu {
    renk govde_ust, govde_alt, kenar_ust, kenar_alt, parilti;
    float basma;  // pressed: the face sits lower, the gloss is gone
};

tuval dugme(int w, int h, float r, const dugme_gorunumu& g) {
    tuval t(w, h);
    kutu_tanimi dis{3, 3, float(w - 3), float(h - 3), r};
    kutu_tanimi golge{3, 5, float(w - 3), float(h - 1), r};
    kutu_doldur(t, golge, hex(0x000000, 0.5f), hex(0x000000, 0.5f));
    kutu_doldur(t, dis, g.govde_ust, g.govde_alt);
    kutu_tanimi ic{6 + 0, 6 + g.basma, float(w - 6), float(h - 6), r - 3};
    if (g.basma == 0) {
        for (int y = 6; y < h / 2; ++y)
            for (int x = 0; x < w; ++x) {
                float c = kapsama(ic.mesafe(x + 0.5f, y + 0.5f));
                t.boya(x, y, g.parilti, c * 0.22f * (1 - float(y - 6) / (h / 2 - 6)));
            }
    } else {
        for (int y = 3; y < 3 + 10; ++y)
            for (int x = 0; x < w; ++x)
                if (dis.mesafe(x + 0.5f, y + 0.5f) < 0) t.boya(x, y, hex(0x000000), 0.45f * (13 - y) / 10.0f);
    }
    kutu_cerceve(t, dis, 2.6f, g.kenar_ust, g.kenar_alt);
    kutu_cerceve(t, {6, 6, float(w - 6), float(h - 6), r - 3}, 1.0f, hex(0x000000, 0.45f), hex(0x000000, 0.45f));
    return t;
}

dugme_gorunumu ana_gorunum(int hal) {
    if (hal == 0) return {hex(0x8a2a18), hex(0x4c0f08), hex(0xf0cf82), hex(0x8a6228), hex(0xffd9a0), 0};
    if (hal == 1) return {hex(0xb0401f), hex(0x66160b), hex(0xfff0b8), hex(0xc08a3a), hex(0xffe4b0), 0};
    return {hex(0x3e0d07), hex(0x5e1a0e), hex(0xb8924a), hex(0x6e4e20), hex(0x000000), 2};
}

dugme_gorunumu sade_gorunum(int hal) {
    if (hal == 0) return {hex(0x2e2923), hex(0x17140f), hex(0xb8924a), hex(0x6e5428), hex(0xf6e2b0), 0};
    if (hal == 1) return {hex(0x4a3f30), hex(0x241e16), hex(0xf0cf82), hex(0xa07a38), hex(0xfff0c8), 0};
    return {hex(0x110f0c), hex(0x221d17), hex(0x9a7a40), hex(0x5a4320), hex(0x000000), 2};
}

tuval ikon(const yazi_tipi& baslik) {
    tuval t(256, 256);
    daire(t, 128, 132, 120, hex(0x000000, 0.5f));
    daire(t, 128, 128, 118, hex(0xd9b25e));
    daire(t, 128, 128, 110, hex(0x2a1a0c));
    daire(t, 128, 128, 104, hex(0x14151c));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float d = std::hypot(x - 128.0f, y - 100.0f);
            if (std::hypot(x - 128.0f, y - 128.0f) < 104) t.boya(x, y, hex(0x6a4a8a), 0.25f * std::exp(-d / 60));
        }
    altin_yazi(t, baslik, "M", 150, 128, 178, 0, 4);
    return t;
}

// ---- main ----

struct cikti {
    const char* ad;
    tuval goruntu;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "kullanim: deri_uret VERI_DIZINI\n");
        return 2;
    }
    const std::string veri = argv[1];
    yazi_tipi baslik;
    if (!tip_yukle(veri + "/font/Cinzel-Bold.ttf", baslik)) {
        std::fprintf(stderr, "yazi tipi okunamadi: %s/font/Cinzel-Bold.ttf\n", veri.c_str());
        return 1;
    }
    const cikti ciktilar[] = {
        {"arkaplan.jpg", arkaplan()},
        {"logo.png", logo(baslik)},
        {"buton_kapat.png", buton_kapat()},
        {"kutu.png", kutu()},
        {"afis.jpg", afis()},
        {"bar_cerceve.png", bar_cerceve()},
        {"bar_dolgu.png", bar_dolgu()},
        {"alan_yazi.png", alan_yazi()},
        {"onay_bos.png", onay(false)},
        {"onay_dolu.png", onay(true)},
        {"buton_ana_normal.png", dugme(272, 90, 12, ana_gorunum(0))},
        {"buton_ana_hover.png", dugme(272, 90, 12, ana_gorunum(1))},
        {"buton_ana_basili.png", dugme(272, 90, 12, ana_gorunum(2))},
        {"buton_normal.png", dugme(272, 64, 10, sade_gorunum(0))},
        {"buton_hover.png", dugme(272, 64, 10, sade_gorunum(1))},
        {"buton_basili.png", dugme(272, 64, 10, sade_gorunum(2))},
        {"kapanis.jpg", kapanis()},
        {"ikon.png", ikon(baslik)},
    };
    for (const cikti& c : ciktilar) {
        const std::string yol = veri + "/" + c.ad;
        bool jpg = yol.size() > 4 && yol.compare(yol.size() - 4, 4, ".jpg") == 0;
        if (!(jpg ? jpg_yaz(yol, c.goruntu) : png_yaz(yol, c.goruntu))) {
            std::fprintf(stderr, "yazilamadi: %s\n", yol.c_str());
            return 1;
        }
    }
    return 0;
}
