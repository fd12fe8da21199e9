// Signed manifests: the signature file's text, Ed25519 signing and checking through
// libsodium, and the accepted-sequence record. No state of its own.
#include "updater/imza.h"

#include <sodium.h>

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
    std::string_view kalan = metin, s1, s0, s2, s3, s4, fazla;
    if (!satir_al(kalan, s1) || !satir_al(kalan, s0) || !satir_al(kalan, s2) || !satir_al(kalan, s3) ||
        !satir_al(kalan, s4))
        return false;
    if (satir_al(kalan, fazla) || s1 != BASLIK) return false;
    if (s0.substr(0, 6) != "liste " || !ad_gecerli(s0.substr(6))) return false;
    imza_kaydi yeni;
    yeni.liste.assign(s0.substr(6));
    uint64_t bitis = 0;
    if (!sayi_satiri(s2, "sira ", yeni.sira) || !sayi_satiri(s3, "bitis ", bitis)) return false;
    if (bitis > uint64_t(INT64_MAX)) return false;
    yeni.bitis = int64_t(bitis);
    if (s4.substr(0, 5) != "imza " || !onaltilik_coz(s4.substr(5), yeni.imza.data(), yeni.imza.size())) return false;
    k = yeni;
    return true;
}

std::string imza_metni(const imza_kaydi& k) {
    char onaltilik[2 * 64 + 1];
    sodium_bin2hex(onaltilik, sizeof onaltilik, k.imza.data(), k.imza.size());
    return ust_bilgi(k) + "imza " + onaltilik + "\n";
}

bool anahtar_coz(const std::string& onaltilik, acik_anahtar& anahtar) {
    acik_anahtar yeni{};
    if (!onaltilik_coz(onaltilik, yeni.data(), yeni.size())) return false;
    anahtar = yeni;
    return true;
}

dogrulama dogrula(const std::string& liste, const imza_kaydi& k, const acik_anahtar& anahtar,
                  uint64_t kabul_edilen, int64_t simdi) {
    if (!sodyum_hazir()) return dogrulama::GECERSIZ;
    const std::string mesaj = imzalanan(liste, k);
    if (crypto_sign_verify_detached(k.imza.data(), reinterpret_cast<const unsigned char*>(mesaj.data()), mesaj.size(),
                                    anahtar.data()) != 0)
        return dogrulama::GECERSIZ;
    if (k.liste != LISTE_DOSYASI) return dogrulama::BASKA_LISTE;
    if (k.sira < kabul_edilen) return dogrulama::ESKI;
    if (k.bitis != 0 && simdi > k.bitis) return dogrulama::SURESI_DOLMUS;
    return dogrulama::TAMAM;
}

void imzala(const std::string& liste, imza_kaydi& k, const gizli_anahtar& gizli) {
    if (!sodyum_hazir()) return;
    const std::string mesaj = imzalanan(liste, k);
    crypto_sign_detached(k.imza.data(), nullptr, reinterpret_cast<const unsigned char*>(mesaj.data()), mesaj.size(),
                         gizli.data());
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
