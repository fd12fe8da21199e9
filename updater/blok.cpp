// Block indexes: the rolling checksum, the index of a file, and the index's text form.
// No state; the byte table is built once, on first use.
#include "updater/blok.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <future>
#include <system_error>

#include "platform/dosya.h"
#include "platform/tanimlayici.h"
#include "updater/sha256.h"

namespace blok {
namespace {

const uint64_t CARPAN = 0x9E3779B97F4A7C15ull;  // odd, so no information is shifted out
const char* const BASLIK = "morvatan-blok 1\n";

// A fixed pseudo-random word per byte value: runs of equal bytes and text do not cancel out
// as they would with the byte values themselves.
const std::array<uint64_t, 256>& tablo() {
    static const std::array<uint64_t, 256> t = [] {
        std::array<uint64_t, 256> a{};
        uint64_t x = 0x6D6F72766174616Eull;  // splitmix64
        for (uint64_t& v : a) {
            x += 0x9E3779B97F4A7C15ull;
            uint64_t z = x;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            v = z ^ (z >> 31);
        }
        return a;
    }();
    return t;
}

uint64_t us(uint64_t taban, size_t n) {
    uint64_t s = 1;
    for (; n; n >>= 1, taban *= taban)
        if (n & 1) s *= taban;
    return s;
}

void kelime_ekle(std::string& metin, uint64_t v) {
    for (int i = 0; i < 8; ++i) metin += char((v >> (8 * i)) & 0xFF);
}

uint64_t kelime_oku(const char* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | uint8_t(p[i]);
    return v;
}

bool sayi_oku(const std::string& s, size_t& i, char son, int64_t& deger) {
    const size_t bas = i;
    deger = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - bas < 18) deger = deger * 10 + (s[i++] - '0');
    if (i == bas || i >= s.size() || s[i] != son || (s[bas] == '0' && i - bas > 1)) return false;
    ++i;
    return true;
}

}  // namespace

std::string dizin_yolu(const std::string& ozet) { return std::string(KLASOR) + "/" + ozet; }

bool dizin_klasorunde_mi(const std::string& yol) { return yol.rfind(std::string(KLASOR) + "/", 0) == 0; }

uint64_t zayif_ozet(const uint8_t* veri, size_t n) {
    const auto& t = tablo();
    // Four bytes a step: one multiplication on the chain, the rest independent of it.
    static const uint64_t m2 = CARPAN * CARPAN, m3 = m2 * CARPAN, m4 = m3 * CARPAN;
    uint64_t h = 0;
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        h = h * m4 + t[veri[i]] * m3 + t[veri[i + 1]] * m2 + t[veri[i + 2]] * CARPAN + t[veri[i + 3]];
    for (; i < n; ++i) h = h * CARPAN + t[veri[i]];
    return h;
}

uint64_t cikis_carpani(size_t n) { return us(CARPAN, n == 0 ? 0 : n - 1); }

uint64_t kaydir(uint64_t ozet, uint8_t eski, uint8_t yeni, uint64_t carpan) {
    const auto& t = tablo();
    return (ozet - t[eski] * carpan) * CARPAN + t[yeni];
}

uint64_t guclu_ozet(const uint8_t* veri, size_t n) {
    sha256::baglam b;
    sha256::baslangic(b);
    sha256::ekle(b, veri, n);
    const std::vector<uint8_t> o = sha256::bitir(b);
    return kelime_oku(reinterpret_cast<const char*>(o.data()));
}

int64_t blok_boyutu_sec(int64_t dosya_boyutu) {
    int64_t b = BLOK_BOYUTU;
    while (uint64_t(dosya_boyutu / b) > EN_COK_BLOK / 2) b *= 2;
    return b;
}

namespace {

// Fills `tampon` from the file, to its end or the buffer's: reads come in whole blocks except
// at the end, which a short read cannot be told from. The bytes read, or -1 on an error.
ssize_t doldur(int fd, std::vector<uint8_t>& tampon) {
    size_t dolu = 0;
    while (dolu < tampon.size()) {
        const ssize_t k = ::read(fd, tampon.data() + dolu, tampon.size() - dolu);
        if (k < 0) return -1;
        if (k == 0) break;
        dolu += size_t(k);
    }
    return ssize_t(dolu);
}

// The rolling checksums of the blocks [bas, son) of a piece, into `zayif` (one per block).
void zayiflari_ekle(const dizin& d, const uint8_t* veri, size_t n, size_t bas, size_t son, uint64_t* zayif) {
    for (size_t j = bas; j < son; ++j) {
        const size_t i = j * size_t(d.blok_boyutu);
        zayif[j] = zayif_ozet(veri + i, std::min(n - i, size_t(d.blok_boyutu)));
    }
}

void gucluleri_ekle(dizin& d, const uint8_t* veri, size_t n) {
    for (size_t i = 0; i < n; i += size_t(d.blok_boyutu))
        d.guclu.push_back(guclu_ozet(veri + i, std::min(n - i, size_t(d.blok_boyutu))));
}

}  // namespace

bool dizin_olustur(const std::string& yol, dizin& d) {
    const tanimlayici fd(duz_dosya_ac(yol));
    struct stat st;
    if (!fd.acik() || ::fstat(fd.fd, &st) != 0) return false;
    d = dizin{};
    d.blok_boyutu = blok_boyutu_sec(int64_t(st.st_size));
    sha256::baglam tum;
    sha256::baslangic(tum);
    // One read of the file, its pieces worked on by two threads at once (publishing a large
    // file then takes about as long as hashing it once).
    std::vector<uint8_t> tamponlar[2];
    for (auto& t : tamponlar) t.resize(size_t(d.blok_boyutu) * std::max<int64_t>(1, (4 << 20) / d.blok_boyutu));
    int simdiki = 0;
    ssize_t n = doldur(fd.fd, tamponlar[0]);
    while (n > 0) {
        const uint8_t* veri = tamponlar[simdiki].data();
        const size_t blok = (size_t(n) + size_t(d.blok_boyutu) - 1) / size_t(d.blok_boyutu);
        const size_t ilk = d.zayif.size();
        d.zayif.resize(ilk + blok);
        uint64_t* zayif = d.zayif.data() + ilk;
        d.dosya_boyutu += n;
        const bool son = size_t(n) < tamponlar[simdiki].size();
        std::vector<uint8_t>& sonraki_tampon = tamponlar[1 - simdiki];
        // There: the whole digest and the next piece's read; here: the blocks' digests and the
        // checksums. About the same work each (1 GiB: 0.95-1.0 s against 1.8 s on one thread,
        // openssl's digest alone 0.8 s, on two cores).
        auto orada = [&, veri, n, son]() -> ssize_t {
            sha256::ekle(tum, veri, size_t(n));
            return son ? 0 : doldur(fd.fd, sonraki_tampon);
        };
        std::future<ssize_t> oradaki;
        ssize_t sonraki = 0;
        try {
            oradaki = std::async(std::launch::async, orada);
        } catch (const std::system_error&) {
            sonraki = orada();  // no thread to be had: one after the other
        }
        gucluleri_ekle(d, veri, size_t(n));
        zayiflari_ekle(d, veri, size_t(n), 0, blok, zayif);
        if (oradaki.valid()) sonraki = oradaki.get();
        if (sonraki < 0) return false;
        n = sonraki;
        simdiki = 1 - simdiki;
    }
    if (n < 0) return false;
    d.ozet = sha256::onaltilik(sha256::bitir(tum));
    return true;
}

std::string dizin_metni(const dizin& d) {
    std::string metin = BASLIK;
    metin += std::to_string(d.blok_boyutu) + " " + std::to_string(d.dosya_boyutu) + " " + d.ozet + "\n";
    metin.reserve(metin.size() + 16 * d.zayif.size());
    for (size_t i = 0; i < d.zayif.size(); ++i) {
        kelime_ekle(metin, d.zayif[i]);
        kelime_ekle(metin, d.guclu[i]);
    }
    return metin;
}

bool dizin_coz(const std::string& metin, dizin& d) {
    const size_t baslik = std::strlen(BASLIK);
    if (metin.compare(0, baslik, BASLIK) != 0) return false;
    size_t i = baslik;
    dizin y;
    if (!sayi_oku(metin, i, ' ', y.blok_boyutu) || !sayi_oku(metin, i, ' ', y.dosya_boyutu)) return false;
    // Only the block size the tool writes for this size: a hostile index cannot make blocks
    // so large that matching would hold hundreds of megabytes.
    if (y.dosya_boyutu < 0 || y.blok_boyutu != blok_boyutu_sec(y.dosya_boyutu) || i + 65 > metin.size() ||
        metin[i + 64] != '\n')
        return false;
    y.ozet = metin.substr(i, 64);
    if (y.ozet.find_first_not_of("0123456789abcdef") != std::string::npos) return false;
    i += 65;
    const uint64_t adet = uint64_t((y.dosya_boyutu + y.blok_boyutu - 1) / y.blok_boyutu);
    if (adet > EN_COK_BLOK || uint64_t(metin.size() - i) != adet * 16) return false;
    y.zayif.resize(adet);
    y.guclu.resize(adet);
    for (uint64_t k = 0; k < adet; ++k, i += 16) {
        y.zayif[k] = kelime_oku(metin.data() + i);
        y.guclu[k] = kelime_oku(metin.data() + i + 8);
    }
    d = std::move(y);
    return true;
}

}  // namespace blok
