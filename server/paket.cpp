// Game-server packet layouts: request building and bounds-checked answer reading.
// No state.
#include "server/paket.h"

namespace sunucu {
namespace {

// A reader over one packet that refuses to step past its end.
struct okuyucu {
    const uint8_t* veri;
    size_t n;
    size_t p = 0;

    bool bayt(size_t& deger) {
        if (p + 1 > n) return false;
        deger = veri[p++];
        return true;
    }
    bool kelime(size_t& deger) {
        if (p + 2 > n) return false;
        deger = size_t(veri[p]) | size_t(veri[p + 1]) << 8;
        p += 2;
        return true;
    }
    bool dize(size_t uzunluk, std::string& cikti) {
        if (p + uzunluk > n) return false;
        cikti.assign(reinterpret_cast<const char*>(veri + p), uzunluk);
        p += uzunluk;
        return true;
    }
    // A string with a one-byte length of at most 64.
    bool kisa_dize(std::string& cikti) {
        size_t u = 0;
        return bayt(u) && u <= KISA_SINIR && dize(u, cikti);
    }
};

template <class Dize>
void uzunluklu_ekle(Dize& paket, const char* metin, size_t n) {
    const size_t u = n < KISA_SINIR ? n : KISA_SINIR;
    paket += char(u);
    paket.append(metin, u);
}

}  // namespace

std::vector<uint8_t> durum_istegi() { return {DURUM_ISTEGI}; }

gizli::dize giris_istegi(const std::string& kullanici, const gizli::dize& sifre) {
    gizli::dize paket;
    paket.reserve(8 + 2 * KISA_SINIR);
    paket += char(GIRIS_ISTEGI);
    for (int i = 0; i < 4; ++i) paket += char((PROTOKOL_SURUMU >> (8 * i)) & 0xFF);
    uzunluklu_ekle(paket, kullanici.data(), kullanici.size());
    uzunluklu_ekle(paket, sifre.data(), sifre.size());
    paket += '\0';
    return paket;
}

bool durum_cevabi_coz(const uint8_t* veri, size_t n, std::vector<haber>& liste) {
    okuyucu o{veri, n, 1};
    size_t adet = 0;
    if (!o.bayt(adet)) return false;  // the bare type byte: an answer without a list
    std::vector<haber> yeni;
    for (size_t i = 0; i < adet; ++i) {
        haber h;
        size_t c = 0;
        if (!o.kisa_dize(h.kisa) || !o.kisa_dize(h.baslik) || !o.kelime(c) || c > METIN_SINIR || !o.dize(c, h.metin))
            return false;
        yeni.push_back(std::move(h));
    }
    liste.swap(yeni);
    return true;
}

bool giris_kabul_coz(const uint8_t* veri, size_t n, std::string& bilet) {
    okuyucu o{veri, n, 1};
    std::string ilk, ikinci;
    if (!o.kisa_dize(ilk) || !o.kisa_dize(ikinci) || ikinci.empty()) return false;
    bilet.swap(ikinci);
    return true;
}

void giris_red_coz(const uint8_t* veri, size_t n, int& kod, std::string& mesaj) {
    okuyucu o{veri, n, 1};
    size_t k = 0;
    kod = o.bayt(k) ? int(k) : -1;
    mesaj.clear();
    if (!o.kisa_dize(mesaj)) mesaj.clear();
}

std::string ret_nedeni(const uint8_t* veri, size_t n) {
    okuyucu o{veri, n, 1};
    std::string neden;
    if (!o.kisa_dize(neden)) neden.clear();
    return neden;
}

metinler::ileti red_iletisi(int kod, const std::string& mesaj) {
    switch (kod) {
        case 1: return {metinler::tur::SIFRE_HATALI};
        case 2: return {metinler::tur::SURUM_ESKI};
        case 3: return {metinler::tur::COK_DENEME};
        case 4: return {metinler::tur::HESAP_OYUNDA};
        default: return {metinler::tur::GIRIS_YAPILAMADI, mesaj};
    }
}

}  // namespace sunucu
