// The signing side of morvatan-liste: key generation, signature files and folder checks.
#include "tools/liste_imza.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "updater/liste.h"
#include "updater/sha256.h"

namespace fs = std::filesystem;

namespace {

std::string dosya_metni(const std::string& yol, bool& var) {
    std::ifstream f(yol, std::ios::binary);
    var = bool(f);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

bool sayi(const std::string& metin, uint64_t& deger) {
    if (metin.empty() || metin.size() > 19 || metin.find_first_not_of("0123456789") != std::string::npos) return false;
    deger = std::stoull(metin);
    return true;
}

// Every listed file must be there with its size and digest.
bool dosyalar_tutuyor_mu(const fs::path& kok, const guncelleme::liste& l) {
    bool tamam = true;
    for (const guncelleme::kayit& k : l.kayitlar) {
        const fs::path yol = kok / k.yol;
        std::string ozet;
        int64_t boyut = -1;
        if (!sha256::dosya_ozeti_al(yol.string(), ozet, boyut) || boyut != k.boyut || ozet != k.ozet) {
            std::fprintf(stderr, "morvatan-liste: %s listedekiyle ayni degil\n", k.yol.c_str());
            tamam = false;
        }
    }
    return tamam;
}

}  // namespace

int anahtar_uret(const std::string& dosya) {
    if (sodium_init() < 0) return 1;
    unsigned char acik[crypto_sign_PUBLICKEYBYTES], gizli[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(acik, gizli);
    char gizli_hex[2 * crypto_sign_SECRETKEYBYTES + 1], acik_hex[2 * crypto_sign_PUBLICKEYBYTES + 1];
    sodium_bin2hex(gizli_hex, sizeof gizli_hex, gizli, sizeof gizli);
    sodium_bin2hex(acik_hex, sizeof acik_hex, acik, sizeof acik);
    sodium_memzero(gizli, sizeof gizli);
    const int fd = open(dosya.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::fprintf(stderr, "morvatan-liste: %s yazilamadi (var olan bir dosyanin ustune yazilmaz)\n", dosya.c_str());
        sodium_memzero(gizli_hex, sizeof gizli_hex);
        return 1;
    }
    gizli_hex[sizeof gizli_hex - 1] = '\n';  // the line feed takes the terminator's place
    const bool yazildi = write(fd, gizli_hex, sizeof gizli_hex) == ssize_t(sizeof gizli_hex) && fsync(fd) == 0;
    sodium_memzero(gizli_hex, sizeof gizli_hex);
    close(fd);
    if (!yazildi) {
        unlink(dosya.c_str());
        std::fprintf(stderr, "morvatan-liste: %s yazilamadi\n", dosya.c_str());
        return 1;
    }
    std::printf("%s\n", acik_hex);
    return 0;
}

// The key file is read into one fixed buffer with no stream in between, so no copy of the
// secret is left behind in freed memory; the buffer is wiped before it goes.
bool gizli_anahtar_oku(const std::string& dosya, guncelleme::gizli_anahtar& gizli) {
    char metin[2 * 64 + 3];
    size_t uzunluk = 0;
    const int fd = open(dosya.c_str(), O_RDONLY | O_CLOEXEC);
    for (ssize_t n = 1; fd >= 0 && n > 0 && uzunluk < sizeof metin;) {
        n = read(fd, metin + uzunluk, sizeof metin - uzunluk);
        if (n > 0) uzunluk += size_t(n);
    }
    if (fd >= 0) close(fd);
    while (uzunluk > 0 && (metin[uzunluk - 1] == '\n' || metin[uzunluk - 1] == '\r')) --uzunluk;
    size_t n = 0;
    const bool tamam = fd >= 0 && uzunluk == 2 * gizli.size() &&
                       sodium_hex2bin(gizli.data(), gizli.size(), metin, uzunluk, nullptr, &n, nullptr) == 0 &&
                       n == gizli.size();
    sodium_memzero(metin, sizeof metin);
    if (!tamam) std::fprintf(stderr, "morvatan-liste: %s gizli anahtar degil\n", dosya.c_str());
    return tamam;
}

std::string acik_anahtar_hex(const guncelleme::gizli_anahtar& gizli) {
    unsigned char acik[crypto_sign_PUBLICKEYBYTES];
    crypto_sign_ed25519_sk_to_pk(acik, gizli.data());
    char hex[2 * crypto_sign_PUBLICKEYBYTES + 1];
    sodium_bin2hex(hex, sizeof hex, acik, sizeof acik);
    return hex;
}

int acik_anahtari_yaz(const std::string& dosya) {
    guncelleme::gizli_anahtar gizli{};
    if (sodium_init() < 0 || !gizli_anahtar_oku(dosya, gizli)) return 1;
    std::printf("%s\n", acik_anahtar_hex(gizli).c_str());
    sodium_memzero(gizli.data(), gizli.size());
    return 0;
}

bool imza_secenegi(const std::string& ad, const std::string& deger, liste_imzasi& imza) {
    uint64_t d = 0;
    if (!sayi(deger, d)) return false;
    if (ad == "--gecerlilik" && d > uint64_t(EN_UZUN_GECERLILIK)) {
        std::fprintf(stderr, "morvatan-liste: --gecerlilik en cok %lld gun olabilir\n", EN_UZUN_GECERLILIK);
        return false;
    }
    if (ad == "--sira") imza.sira = d;
    else imza.gecerlilik = int64_t(d);
    return true;
}

std::string imza_dosyasi(const std::string& liste, const liste_imzasi& imza) {
    const int64_t simdi = int64_t(std::time(nullptr));
    guncelleme::imza_kaydi k;
    k.sira = imza.sira ? imza.sira : uint64_t(simdi);
    k.bitis = imza.gecerlilik ? simdi + imza.gecerlilik * 86400 : 0;
    guncelleme::imzala(liste, k, imza.gizli);
    return guncelleme::imza_metni(k);
}

int klasoru_dogrula(const std::string& acik, const std::string& klasor) {
    guncelleme::acik_anahtar anahtar{};
    if (!guncelleme::anahtar_coz(acik, anahtar)) {
        std::fprintf(stderr, "morvatan-liste: acik anahtar 64 onaltilik rakam olmali\n");
        return 2;
    }
    bool liste_var = false, imza_var = false;
    const fs::path kok = klasor;
    const std::string liste = dosya_metni((kok / "dosyalar-linux.txt").string(), liste_var);
    const std::string imza = dosya_metni((kok / guncelleme::IMZA_DOSYASI).string(), imza_var);
    guncelleme::imza_kaydi k;
    const char* sorun = !liste_var ? "liste yok" : !imza_var ? "imza yok" : !guncelleme::imza_coz(imza, k) ? "imza gecersiz" : nullptr;
    if (!sorun) {
        switch (guncelleme::dogrula(liste, k, anahtar, 0, int64_t(std::time(nullptr)))) {
            case guncelleme::dogrulama::TAMAM: break;
            case guncelleme::dogrulama::SURESI_DOLMUS: sorun = "suresi dolmus"; break;
            case guncelleme::dogrulama::BASKA_LISTE: sorun = "baska bir listenin imzasi"; break;
            default: sorun = "imza gecersiz"; break;
        }
    }
    guncelleme::liste l;
    if (!sorun && guncelleme::liste_coz(liste, l) != guncelleme::liste_sonucu::TAMAM) sorun = "liste bozuk";
    if (sorun) {
        std::fprintf(stderr, "morvatan-liste: %s: %s\n", klasor.c_str(), sorun);
        return 1;
    }
    if (!dosyalar_tutuyor_mu(kok, l)) return 1;
    std::printf("dogru: %zu dosya, sira %llu\n", l.kayitlar.size(), static_cast<unsigned long long>(k.sira));
    return 0;
}
