// SHA-256: portable and SHA-extension compression, the incremental state and file digests.
// The chosen compression path is the module's only global: set once at first use (or by
// donanim_sec in tests) and read by every thread afterwards.
#include "updater/sha256.h"

#include <cpuid.h>
#include <fcntl.h>
#include <immintrin.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "platform/dosya.h"
#include "platform/tanimlayici.h"

namespace sha256 {
namespace {

const uint32_t K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

const uint32_t BASLANGIC[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

// ---- portable compression ----

inline uint32_t dondur(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t buyuk_uclu(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void tasinabilir_bloklar(uint32_t h[8], const uint8_t* veri, size_t adet) {
    for (; adet > 0; --adet, veri += 64) {
        uint32_t w[64];
        for (int t = 0; t < 16; ++t) w[t] = buyuk_uclu(veri + 4 * t);
        for (int t = 16; t < 64; ++t) {
            uint32_t s0 = dondur(w[t - 15], 7) ^ dondur(w[t - 15], 18) ^ (w[t - 15] >> 3);
            uint32_t s1 = dondur(w[t - 2], 17) ^ dondur(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = w[t - 16] + s0 + w[t - 7] + s1;
        }
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
        for (int t = 0; t < 64; ++t) {
            uint32_t t1 = hh + (dondur(e, 6) ^ dondur(e, 11) ^ dondur(e, 25)) + ((e & f) ^ (~e & g)) + K[t] + w[t];
            uint32_t t2 = (dondur(a, 2) ^ dondur(a, 13) ^ dondur(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
        }
        h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
    }
}

// ---- compression on the SHA extensions ----
// State lives as two vectors, ABEF and CDGH, as the sha256rnds2 instruction wants it. Each
// group of four rounds finishes the schedule of the group after it (msg2) and starts the one
// three groups ahead (msg1), so the sixteen message vectors rotate through four registers.

__attribute__((target("sha,sse4.1,ssse3")))
void donanim_bloklar(uint32_t h[8], const uint8_t* veri, size_t adet) {
    const __m128i sira = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i gecici = _mm_shuffle_epi32(_mm_loadu_si128((const __m128i*)&h[0]), 0xB1);  // CDAB
    __m128i durum1 = _mm_shuffle_epi32(_mm_loadu_si128((const __m128i*)&h[4]), 0x1B);  // EFGH
    __m128i durum0 = _mm_alignr_epi8(gecici, durum1, 8);                               // ABEF
    durum1 = _mm_blend_epi16(durum1, gecici, 0xF0);                                    // CDGH
    for (; adet > 0; --adet, veri += 64) {
        const __m128i abef = durum0, cdgh = durum1;
        __m128i m[4];
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) {
            if (g < 4) m[g] = _mm_shuffle_epi8(_mm_loadu_si128((const __m128i*)(veri + 16 * g)), sira);
            __m128i ileti = _mm_add_epi32(m[g & 3], _mm_loadu_si128((const __m128i*)&K[4 * g]));
            durum1 = _mm_sha256rnds2_epu32(durum1, durum0, ileti);
            if (g >= 3 && g < 15) {
                __m128i t = _mm_add_epi32(m[(g + 1) & 3], _mm_alignr_epi8(m[g & 3], m[(g + 3) & 3], 4));
                m[(g + 1) & 3] = _mm_sha256msg2_epu32(t, m[g & 3]);
            }
            ileti = _mm_shuffle_epi32(ileti, 0x0E);
            durum0 = _mm_sha256rnds2_epu32(durum0, durum1, ileti);
            if (g >= 1 && g < 13) m[(g + 3) & 3] = _mm_sha256msg1_epu32(m[(g + 3) & 3], m[g & 3]);
        }
        durum0 = _mm_add_epi32(durum0, abef);
        durum1 = _mm_add_epi32(durum1, cdgh);
    }
    gecici = _mm_shuffle_epi32(durum0, 0x1B);                  // FEBA
    durum1 = _mm_shuffle_epi32(durum1, 0xB1);                  // DCHG
    durum0 = _mm_blend_epi16(gecici, durum1, 0xF0);            // DCBA
    durum1 = _mm_alignr_epi8(durum1, gecici, 8);               // HGFE
    _mm_storeu_si128((__m128i*)&h[0], durum0);
    _mm_storeu_si128((__m128i*)&h[4], durum1);
}

bool islemci_sha_destekler() {
    unsigned a, b, c, d;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    const bool sha = (b >> 29) & 1;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool sse41 = (c >> 19) & 1, ssse3 = (c >> 9) & 1;
    return sha && sse41 && ssse3;
}

using bloklar_fn = void (*)(uint32_t*, const uint8_t*, size_t);

bloklar_fn ilk_secim() { return islemci_sha_destekler() ? donanim_bloklar : tasinabilir_bloklar; }

std::atomic<bloklar_fn> bloklar{ilk_secim()};  // written at start-up and by donanim_sec

void bloklari_isle(uint32_t h[8], const uint8_t* veri, size_t adet) {
    bloklar.load(std::memory_order_relaxed)(h, veri, adet);
}

}  // namespace

bool donanim_var() { return islemci_sha_destekler(); }

bool donanim_sec(bool donanim) {
    const bool kullan = donanim && islemci_sha_destekler();
    bloklar.store(kullan ? donanim_bloklar : tasinabilir_bloklar);
    return kullan;
}

void blok_isle(uint32_t h[8], const uint8_t blok[64]) { bloklari_isle(h, blok, 1); }

void baslangic(baglam& b) {
    std::memcpy(b.h, BASLANGIC, sizeof b.h);
    b.bayt_sayisi = 0;
    b.dolu = 0;
}

void ekle(baglam& b, const uint8_t* veri, size_t n) {
    b.bayt_sayisi += n;
    if (b.dolu > 0) {
        size_t al = std::min<size_t>(n, 64 - b.dolu);
        std::memcpy(b.blok + b.dolu, veri, al);
        b.dolu += al;
        veri += al;
        n -= al;
        if (b.dolu < 64) return;
        bloklari_isle(b.h, b.blok, 1);
        b.dolu = 0;
    }
    // Whole blocks straight from the caller's buffer, without copying.
    if (n >= 64) {
        bloklari_isle(b.h, veri, n / 64);
        veri += n / 64 * 64;
        n %= 64;
    }
    std::memcpy(b.blok, veri, n);
    b.dolu = n;
}

std::vector<uint8_t> bitir(baglam& b) {
    const uint64_t bit = b.bayt_sayisi * 8;
    b.blok[b.dolu++] = 0x80;
    if (b.dolu > 56) {
        std::memset(b.blok + b.dolu, 0, 64 - b.dolu);
        bloklari_isle(b.h, b.blok, 1);
        b.dolu = 0;
    }
    std::memset(b.blok + b.dolu, 0, 56 - b.dolu);
    for (int i = 0; i < 8; ++i) b.blok[56 + i] = uint8_t(bit >> (56 - 8 * i));
    bloklari_isle(b.h, b.blok, 1);
    b.dolu = 0;
    std::vector<uint8_t> ozet(32);
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 4; ++k) ozet[4 * i + k] = uint8_t(b.h[i] >> (24 - 8 * k));
    return ozet;
}

std::string onaltilik(const std::vector<uint8_t>& ozet) {
    static const char rakam[] = "0123456789abcdef";
    std::string metin;
    metin.reserve(ozet.size() * 2);
    for (uint8_t v : ozet) {
        metin += rakam[v >> 4];
        metin += rakam[v & 15];
    }
    return metin;
}

bool dosya_ozeti_al(const std::string& yol, std::string& ozet, int64_t& boyut) {
    const tanimlayici fd(duz_dosya_ac(yol));
    if (!fd.acik()) return false;
    baglam b;
    baslangic(b);
    posix_fadvise(fd.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<uint8_t> tampon(65536);
    int64_t okunan = 0;
    ssize_t n;
    while ((n = ::read(fd.fd, tampon.data(), tampon.size())) > 0) {
        ekle(b, tampon.data(), size_t(n));
        okunan += n;
    }
    if (n < 0) return false;
    ozet = onaltilik(bitir(b));
    boyut = okunan;
    return true;
}

std::string dosya_ozeti(const std::string& yol) {
    std::string ozet;
    int64_t boyut = 0;
    if (dosya_ozeti_al(yol, ozet, boyut)) return ozet;
    baglam b;
    baslangic(b);
    return onaltilik(bitir(b));
}

}  // namespace sha256
