// The draw list's recording and signature; the replay lives in ui/cizim_gl.cpp. Owns `kare`.
#include "ui/cizim.h"

#include <cstring>

namespace cizim {

static_assert(sizeof(komut) == 4 + 4 + 8 * 4 + 8 * 4 + 4 * 4, "komut must have no padding bytes");

liste kare;

void baslat(int fb_genislik, int fb_yukseklik, int tuval_genislik, int tuval_yukseklik) {
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
}

void kirp_yok() {
    komut k;
    k.tur = KIRP_YOK;
    kare.komutlar.push_back(k);
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
