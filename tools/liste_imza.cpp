// The signing side of morvatan-liste: key generation, signature files and folder checks.
#include "tools/liste_imza.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "platform/aktarim.h"
#include "tools/sunulan_denetim.h"
#include "updater/blok.h"
#include "updater/indirme.h"
#include "updater/liste.h"
#include "updater/toplu.h"
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

// Every listed file must be there with its size and digest; files that are there but not
// listed are named (a player never gets them).
// Whether the folder holds the index of a large listed file, describing exactly that file.
bool dizin_var_mi(const fs::path& kok, const guncelleme::kayit& k) {
    bool var = false;
    const std::string metin = dosya_metni((kok / blok::dizin_yolu(k.ozet)).string(), var);
    blok::dizin d;
    return var && blok::dizin_coz(metin, d) && d.dosya_boyutu == k.boyut && d.ozet == k.ozet;
}

bool dosyalar_tutuyor_mu(const fs::path& kok, const guncelleme::liste& l) {
    bool tamam = true;
    std::set<std::string> listede;
    for (const guncelleme::kayit& k : l.kayitlar) {
        listede.insert(k.yol);
        const fs::path yol = kok / k.yol;
        std::string ozet;
        int64_t boyut = -1;
        std::error_code ec;
        if (!fs::exists(yol, ec)) {
            std::fprintf(stderr, "morvatan-liste: %s: listede var, klasorde yok\n", k.yol.c_str());
            tamam = false;
        } else if (!sha256::dosya_ozeti_al(yol.string(), ozet, boyut) || boyut != k.boyut || ozet != k.ozet) {
            std::fprintf(stderr, "morvatan-liste: %s listedekiyle ayni degil\n", k.yol.c_str());
            tamam = false;
        } else if (k.boyut >= blok::FARK_ESIGI && !dizin_var_mi(kok, k)) {
            std::fprintf(stderr, "morvatan-liste: %s: blok dizini yok ya da uymuyor (oyuncular dosyanin tamamini indirir)\n",
                         k.yol.c_str());
        }
    }
    std::error_code ec;
    for (fs::recursive_directory_iterator it(kok, ec), son; !ec && it != son; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string yol = fs::relative(it->path(), kok, ec).generic_string();
        if (yol != "dosyalar-linux.txt" && yol != guncelleme::IMZA_DOSYASI && !blok::dizin_klasorunde_mi(yol) &&
            !listede.count(yol))
            std::fprintf(stderr, "morvatan-liste: %s: klasorde var, listede yok (oyunculara gitmez)\n", yol.c_str());
    }
    return tamam;
}

// The signature's check as a launcher makes it (expiry counts, the sequence does not);
// nullptr when it holds, else the reason.
const char* imza_sorunu(const std::string& liste, const std::string* imza, const guncelleme::anahtar_listesi& anahtar,
                        guncelleme::imza_kaydi& k) {
    if (!imza) return "imza yok";
    if (!guncelleme::imza_coz(*imza, k)) return "imza gecersiz";
    switch (guncelleme::dogrula(liste, k, anahtar, 0, int64_t(std::time(nullptr)))) {
        case guncelleme::dogrulama::TAMAM: return nullptr;
        case guncelleme::dogrulama::SURESI_DOLMUS: return "suresi dolmus";
        case guncelleme::dogrulama::BASKA_LISTE: return "baska bir listenin imzasi";
        default: return "imza gecersiz";
    }
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
    for (const guncelleme::gizli_anahtar& gizli : imza.gizliler) guncelleme::imzala(liste, k, gizli);
    return guncelleme::imza_metni(k);
}

namespace {

bool anahtarlari_al(const std::string& acik, guncelleme::anahtar_listesi& anahtar) {
    if (guncelleme::anahtarlar_coz(acik, anahtar)) return true;
    std::fprintf(stderr, "morvatan-liste: acik anahtar 64 onaltilik rakam olmali (birden cok ise aralarinda bir bosluk)\n");
    return false;
}

// The published pair as a launcher takes it: the signature under the keys, then the
// manifest's rules. Reports under `nerede` and returns false when it does not hold.
bool cift_tutuyor_mu(const std::string& nerede, const std::string& liste, const std::string* imza,
                     const guncelleme::anahtar_listesi& anahtar, guncelleme::imza_kaydi& k, guncelleme::liste& l) {
    const char* sorun = imza_sorunu(liste, imza, anahtar, k);
    if (!sorun && guncelleme::liste_coz(liste, l) != guncelleme::liste_sonucu::TAMAM) sorun = "liste bozuk";
    if (!sorun) return true;
    std::fprintf(stderr, "morvatan-liste: %s: %s\n", nerede.c_str(), sorun);
    return false;
}

}  // namespace

int adresi_dogrula(const std::string& acik, const std::string& adres, bool yalniz_boyut) {
    guncelleme::anahtar_listesi anahtar;
    if (!anahtarlari_al(acik, anahtar)) return 2;
    const std::string taban = adres.back() == '/' ? adres : adres + "/";
    std::string liste, imza, hata;
    aktarim::taze_iste(true);  // the pair as a launcher gets it: revalidated by every cache
    const bool liste_var = guncelleme::liste_al(taban + "dosyalar-linux.txt", liste, hata);
    const bool imza_var = liste_var && guncelleme::liste_al(taban + guncelleme::IMZA_DOSYASI, imza, hata);
    aktarim::taze_iste(false);
    if (!liste_var) {
        std::fprintf(stderr, "morvatan-liste: %sdosyalar-linux.txt: %s\n", taban.c_str(), hata.c_str());
        return 1;
    }
    guncelleme::imza_kaydi k;
    guncelleme::liste l;
    if (!cift_tutuyor_mu(taban, liste, imza_var ? &imza : nullptr, anahtar, k, l)) return 1;
    if (!(yalniz_boyut ? sunulan_boyutlar_dogru_mu(taban, l) : sunulanlar_dogru_mu(taban, l))) return 1;
    std::printf("dogru: %zu dosya sunuluyor, sira %llu\n", l.kayitlar.size(), static_cast<unsigned long long>(k.sira));
    return 0;
}

int klasoru_dogrula(const std::string& acik, const std::string& klasor) {
    guncelleme::anahtar_listesi anahtar;
    if (!anahtarlari_al(acik, anahtar)) return 2;
    bool liste_var = false, imza_var = false;
    const fs::path kok = klasor;
    const std::string liste = dosya_metni((kok / "dosyalar-linux.txt").string(), liste_var);
    const std::string imza = dosya_metni((kok / guncelleme::IMZA_DOSYASI).string(), imza_var);
    if (!liste_var) {
        std::fprintf(stderr, "morvatan-liste: %s: liste yok\n", klasor.c_str());
        return 1;
    }
    guncelleme::imza_kaydi k;
    guncelleme::liste l;
    if (!cift_tutuyor_mu(klasor, liste, imza_var ? &imza : nullptr, anahtar, k, l)) return 1;
    if (!dosyalar_tutuyor_mu(kok, l)) return 1;
    std::printf("dogru: %zu dosya, sira %llu\n", l.kayitlar.size(), static_cast<unsigned long long>(k.sira));
    return 0;
}
