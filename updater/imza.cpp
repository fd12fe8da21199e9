// Signed manifests: the signature file's text, Ed25519 signing and checking through
// libsodium, and the accepted-sequence record. No state of its own.
#include "updater/imza.h"

#include <sodium.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "platform/atomik.h"

namespace guncelleme {
namespace {

const std::string_view BASLIK = "morvatan-imza 2";

bool sodyum_hazir() {
    static const bool hazir = sodium_init() >= 0;
    return hazir;
}

// One line without its LF (and an optional CR); false at the end of the text.
bool satir_al(std::string_view& kalan, std::string_view& satir) {
    if (kalan.empty()) return false;
    const size_t lf = kalan.find('\n');
    satir = kalan.substr(0, lf);
    kalan.remove_prefix(lf == std::string_view::npos ? kalan.size() : lf + 1);
    if (!satir.empty() && satir.back() == '\r') satir.remove_suffix(1);
    return true;
}

// "ONEK DIGITS" with 1 to 19 decimal digits.
bool sayi_satiri(std::string_view satir, std::string_view onek, uint64_t& deger) {
    if (satir.substr(0, onek.size()) != onek) return false;
    const std::string_view rakamlar = satir.substr(onek.size());
    if (rakamlar.empty() || rakamlar.size() > 19) return false;
    uint64_t d = 0;
    for (char c : rakamlar) {
        if (c < '0' || c > '9') return false;
        d = d * 10 + uint64_t(c - '0');
    }
    deger = d;
    return true;
}

bool onaltilik_coz(std::string_view metin, uint8_t* cikti, size_t n) {
    if (metin.size() != 2 * n) return false;
    size_t uzunluk = 0;
    return sodium_hex2bin(cikti, n, metin.data(), metin.size(), nullptr, &uzunluk, nullptr) == 0 && uzunluk == n;
}

bool ad_gecerli(std::string_view ad) {
    if (ad.empty()) return false;
    for (unsigned char c : ad)
        if (c < 0x21 || c == 0x7F) return false;
    return true;
}

// The signed lines without the signature itself.
std::string ust_bilgi(const imza_kaydi& k) {
    return std::string(BASLIK) + "\nliste " + k.liste + "\nsira " + std::to_string(k.sira) + "\nbitis " +
           std::to_string(k.bitis) + "\n";
}

std::string imzalanan(const std::string& liste, const imza_kaydi& k) { return ust_bilgi(k) + liste; }

}  // namespace

bool imza_coz(const std::string& metin, imza_kaydi& k) {
    std::string_view kalan = metin, s1, s0, s2, s3, s4;
    if (!satir_al(kalan, s1) || !satir_al(kalan, s0) || !satir_al(kalan, s2) || !satir_al(kalan, s3)) return false;
    if (s1 != BASLIK) return false;
    if (s0.substr(0, 6) != "liste " || !ad_gecerli(s0.substr(6))) return false;
    imza_kaydi yeni;
    yeni.liste.assign(s0.substr(6));
    uint64_t bitis = 0;
    if (!sayi_satiri(s2, "sira ", yeni.sira) || !sayi_satiri(s3, "bitis ", bitis)) return false;
    if (bitis > uint64_t(INT64_MAX)) return false;
    yeni.bitis = int64_t(bitis);
    while (satir_al(kalan, s4)) {
        imza_baytlari imza{};
        if (yeni.imzalar.size() == IMZA_EN_COK || s4.substr(0, 5) != "imza " ||
            !onaltilik_coz(s4.substr(5), imza.data(), imza.size()))
            return false;
        yeni.imzalar.push_back(imza);
    }
    if (yeni.imzalar.empty()) return false;
    k = yeni;
    return true;
}

std::string imza_metni(const imza_kaydi& k) {
    std::string metin = ust_bilgi(k);
    for (const imza_baytlari& imza : k.imzalar) {
        char onaltilik[2 * 64 + 1];
        sodium_bin2hex(onaltilik, sizeof onaltilik, imza.data(), imza.size());
        metin += std::string("imza ") + onaltilik + "\n";
    }
    return metin;
}

bool anahtar_coz(const std::string& onaltilik, acik_anahtar& anahtar) {
    acik_anahtar yeni{};
    if (!onaltilik_coz(onaltilik, yeni.data(), yeni.size())) return false;
    anahtar = yeni;
    return true;
}

bool anahtarlar_coz(const std::string& metin, anahtar_listesi& anahtarlar) {
    anahtar_listesi yeni;
    for (size_t bas = 0; bas <= metin.size();) {
        const size_t bosluk = std::min(metin.find(' ', bas), metin.size());
        acik_anahtar a{};
        if (yeni.size() == IMZA_EN_COK || !anahtar_coz(metin.substr(bas, bosluk - bas), a)) return false;
        yeni.push_back(a);
        bas = bosluk + 1;
    }
    anahtarlar = yeni;
    return true;
}

dogrulama dogrula(const std::string& liste, const imza_kaydi& k, const anahtar_listesi& anahtarlar,
                  uint64_t kabul_edilen, int64_t simdi) {
    if (!sodyum_hazir()) return dogrulama::GECERSIZ;
    const std::string mesaj = imzalanan(liste, k);
    bool tutuyor = false;
    for (const imza_baytlari& imza : k.imzalar)
        for (const acik_anahtar& anahtar : anahtarlar)
            tutuyor = tutuyor || crypto_sign_verify_detached(imza.data(), reinterpret_cast<const unsigned char*>(mesaj.data()),
                                                             mesaj.size(), anahtar.data()) == 0;
    if (!tutuyor) return dogrulama::GECERSIZ;
    if (k.liste != LISTE_DOSYASI) return dogrulama::BASKA_LISTE;
    if (k.sira < kabul_edilen) return dogrulama::ESKI;
    if (k.bitis != 0 && simdi > k.bitis) return dogrulama::SURESI_DOLMUS;
    return dogrulama::TAMAM;
}

void imzala(const std::string& liste, imza_kaydi& k, const gizli_anahtar& gizli) {
    if (!sodyum_hazir()) return;
    const std::string mesaj = imzalanan(liste, k);
    imza_baytlari imza{};
    crypto_sign_detached(imza.data(), nullptr, reinterpret_cast<const unsigned char*>(mesaj.data()), mesaj.size(),
                         gizli.data());
    k.imzalar.push_back(imza);
}

uint64_t sira_oku() {
    std::ifstream f(SIRA_DOSYASI);
    std::string satir;
    uint64_t sira = 0;
    if (std::getline(f, satir) && sayi_satiri(satir, "", sira)) return sira;
    return 0;
}

uint64_t sira_coz(const std::string& metin) {
    uint64_t sira = 0;
    return sayi_satiri(metin, "", sira) ? sira : 0;
}

bool sira_yaz(uint64_t sira) { return atomik_yaz(SIRA_DOSYASI, std::to_string(sira) + "\n"); }

}  // namespace guncelleme
