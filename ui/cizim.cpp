// The draw list's recording, its signature and the part of it that changed; the replay lives in ui/cizim_gl.cpp. Owns `kare`.
#include "ui/cizim.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cizim {

static_assert(sizeof(komut) == 4 + 4 + 8 * 4 + 8 * 4 + 4 * 4, "komut must have no padding bytes");

liste kare;

namespace {
komut etkin_kirp;     // the clip in force while recording (tur KIRP), or none (KIRP_YOK)
}

void baslat(int fb_genislik, int fb_yukseklik, int tuval_genislik, int tuval_yukseklik) {
    etkin_kirp.tur = KIRP_YOK;
    kare.fb_genislik = fb_genislik;
    kare.fb_yukseklik = fb_yukseklik;
    kare.tuval_genislik = tuval_genislik;
    kare.tuval_yukseklik = tuval_yukseklik;
    kare.komutlar.clear();
}

void dortgen(const komut& k) {
    kare.komutlar.push_back(k);
    kare.komutlar.back().tur = DORTGEN;
}

void kirp(int32_t x, int32_t y, int32_t genislik, int32_t yukseklik) {
    komut k;
    k.tur = KIRP;
    k.kutu[0] = x;
    k.kutu[1] = y;
    k.kutu[2] = genislik;
    k.kutu[3] = yukseklik;
    kare.komutlar.push_back(k);
    etkin_kirp = k;
}

void kirp_yok() {
    komut k;
    k.tur = KIRP_YOK;
    kare.komutlar.push_back(k);
    etkin_kirp = k;
}

void gorunen_alan(float& sol, float& sag, float& alt, float& ust) {
    sol = 0, sag = float(kare.fb_genislik), alt = 0, ust = float(kare.fb_yukseklik);
    if (etkin_kirp.tur != KIRP) return;
    sol = std::max(sol, float(etkin_kirp.kutu[0]));
    sag = std::min(sag, float(etkin_kirp.kutu[0] + etkin_kirp.kutu[2]));
    alt = std::max(alt, float(etkin_kirp.kutu[1]));
    ust = std::min(ust, float(etkin_kirp.kutu[1] + etkin_kirp.kutu[3]));
}

namespace {

// FNV-1a, 64 bits, eight bytes at a time: fast enough to run over every frame.
uint64_t karistir(uint64_t h, const void* veri, size_t n) {
    const unsigned char* p = static_cast<const unsigned char*>(veri);
    for (; n >= 8; n -= 8, p += 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * 0x100000001B3ull;
    }
    for (; n > 0; --n, ++p) h = (h ^ *p) * 0x100000001B3ull;
    return h;
}

}  // namespace

uint64_t imza(const liste& l) {
    const int32_t boyutlar[4] = {l.fb_genislik, l.fb_yukseklik, l.tuval_genislik, l.tuval_yukseklik};
    uint64_t h = karistir(0xCBF29CE484222325ull, boyutlar, sizeof boyutlar);
    return karistir(h, l.komutlar.data(), l.komutlar.size() * sizeof(komut));
}

alan tamami(const liste& l) { return alan{0, 0, l.fb_genislik, l.fb_yukseklik}; }

bool ayni_boyut(const liste& a, const liste& b) {
    return a.fb_genislik == b.fb_genislik && a.fb_yukseklik == b.fb_yukseklik &&
           a.tuval_genislik == b.tuval_genislik && a.tuval_yukseklik == b.tuval_yukseklik;
}

namespace {

// A quad with the clip it is drawn under (null when unclipped): all that decides its pixels.
struct cizilen {
    const komut* k;
    const komut* kirp;
};

std::vector<cizilen> cizilenler(const liste& l) {
    std::vector<cizilen> v;
    v.reserve(l.komutlar.size());
    const komut* kirp = nullptr;
    for (const komut& k : l.komutlar) {
        if (k.tur == KIRP) kirp = &k;
        else if (k.tur == KIRP_YOK) kirp = nullptr;
        else v.push_back({&k, kirp});
    }
    return v;
}

bool ayni(const cizilen& a, const cizilen& b) {
    if (std::memcmp(a.k, b.k, sizeof(komut)) != 0) return false;
    if (!a.kirp || !b.kirp) return a.kirp == b.kirp;
    return std::memcmp(a.kirp->kutu, b.kirp->kutu, sizeof a.kirp->kutu) == 0;
}

// Grows `a` (x0, y0, x1, y1 in framebuffer pixels) by the pixels the quad can touch: its
// bounds with one pixel to spare for rounding, within its clip.
void kapsa(const liste& l, const cizilen& c, int32_t a[4]) {
    const komut& k = *c.k;
    const float sx = float(l.fb_genislik) / float(l.tuval_genislik);
    const float sy = float(l.fb_yukseklik) / float(l.tuval_yukseklik);
    int32_t x0 = int32_t(std::floor(std::min(k.x0, k.x1) * sx)) - 1;
    int32_t x1 = int32_t(std::ceil(std::max(k.x0, k.x1) * sx)) + 1;
    int32_t y0 = l.fb_yukseklik - int32_t(std::ceil(std::max(k.y0, k.y1) * sy)) - 1;
    int32_t y1 = l.fb_yukseklik - int32_t(std::floor(std::min(k.y0, k.y1) * sy)) + 1;
    if (c.kirp) {
        const int32_t* kutu = c.kirp->kutu;
        x0 = std::max(x0, kutu[0]);
        y0 = std::max(y0, kutu[1]);
        x1 = std::min(x1, kutu[0] + kutu[2]);
        y1 = std::min(y1, kutu[1] + kutu[3]);
    }
    if (x0 >= x1 || y0 >= y1) return;
    a[0] = std::min(a[0], x0);
    a[1] = std::min(a[1], y0);
    a[2] = std::max(a[2], x1);
    a[3] = std::max(a[3], y1);
}

}  // namespace

bool degisen_alan(const liste& eski, const liste& yeni, alan& a) {
    if (!ayni_boyut(eski, yeni) || yeni.tuval_genislik <= 0 || yeni.tuval_yukseklik <= 0) return false;
    const std::vector<cizilen> e = cizilenler(eski), y = cizilenler(yeni);
    size_t bas = 0;
    while (bas < e.size() && bas < y.size() && ayni(e[bas], y[bas])) ++bas;
    size_t son = 0;  // quads alike at the end, after the common beginning
    while (son < e.size() - bas && son < y.size() - bas && ayni(e[e.size() - 1 - son], y[y.size() - 1 - son])) ++son;
    int32_t k[4] = {yeni.fb_genislik, yeni.fb_yukseklik, 0, 0};
    for (size_t i = bas; i < e.size() - son; ++i) kapsa(eski, e[i], k);
    for (size_t i = bas; i < y.size() - son; ++i) kapsa(yeni, y[i], k);
    k[0] = std::max(k[0], 0);
    k[1] = std::max(k[1], 0);
    k[2] = std::min(k[2], yeni.fb_genislik);
    k[3] = std::min(k[3], yeni.fb_yukseklik);
    a = alan{k[0], k[1], std::max(k[2] - k[0], 0), std::max(k[3] - k[1], 0)};
    return true;
}

alan cizilecek_alan(const gosterim& g, const liste& yeni, double simdi) {
    alan a;
    if (g.zorla || simdi - g.zaman >= EN_UZUN_ARA || !degisen_alan(g.ekrandaki, yeni, a)) return tamami(yeni);
    return a;
}

bool gosterilsin_mi(const gosterim& g, uint64_t imza, bool olay, double simdi) {
    const double gecen = simdi - g.zaman;
    if (g.zorla || gecen >= EN_UZUN_ARA) return true;
    if (imza == g.imza) return false;
    return olay || gecen >= EN_KISA_ARA;
}

bool kaydedilsin_mi(const gosterim& g, bool olay, double simdi) {
    return olay || g.zorla || simdi - g.kayit_zamani >= EN_KISA_ARA;
}

}  // namespace cizim
