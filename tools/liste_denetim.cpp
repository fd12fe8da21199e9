// The publishing guards of morvatan-liste. No state.
#include "tools/liste_denetim.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <vector>

#include "app/ayarlar.h"
#include "platform/elf.h"
#include "platform/dosya.h"
#include "updater/imza.h"

namespace fs = std::filesystem;

namespace {

bool reddet(const fs::path& yol, const std::string& neden) {
    std::fprintf(stderr, "morvatan-liste: %s: %s\n", yol.c_str(), neden.c_str());
    return false;
}

// The first value of a key, as the launcher reads it; false when the key is absent.
bool ayar_bul(const std::vector<ayar>& liste, const std::string& anahtar, std::string& deger) {
    for (const ayar& a : liste) {
        if (a.anahtar != anahtar) continue;
        deger = a.deger;
        return true;
    }
    return false;
}

std::string kucuk_harf(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'F') c = char(c - 'A' + 'a');
    return s;
}


}  // namespace

bool icinde_mi(const fs::path& kok, const fs::path& yol) {
    auto k = kok.begin(), y = yol.begin();
    for (; k != kok.end(); ++k, ++y)
        if (y == yol.end() || *k != *y) return false;
    return true;
}

bool anahtar_disarida_mi(const fs::path& kok, const std::string& gizli_dosya) {
    std::error_code ec;
    const fs::path k = fs::canonical(kok, ec), g = fs::canonical(gizli_dosya, ec);
    if (ec || !icinde_mi(k, g)) return true;
    return reddet(g, "gizli anahtar yayinlanacak klasorun icinde; klasorun disina tasi");
}

// Whether one of the space-separated keys of `liste` is among `aciklar`.
bool ortak_anahtar_var_mi(const std::string& liste, const std::vector<std::string>& aciklar) {
    for (size_t bas = 0; bas <= liste.size();) {
        const size_t bosluk = std::min(liste.find(' ', bas), liste.size());
        const std::string anahtar = kucuk_harf(liste.substr(bas, bosluk - bas));
        for (const std::string& a : aciklar)
            if (a == anahtar) return true;
        bas = bosluk + 1;
    }
    return false;
}

bool varsayilan_uygun_mu(const fs::path& kok, const std::vector<std::string>* aciklar) {
    const fs::path yol = kok / "varsayilan.ini";
    std::string metin;
    const okuma s = dosya_oku(yol.string(), metin, AYAR_SINIRI);
    if (s == okuma::YOK) return true;
    if (s != okuma::TAMAM) return reddet(yol, "okunamadi");
    std::vector<ayar> liste;
    ini_coz(metin, liste);
    std::string deger;
    if (!ayar_bul(liste, "guncelleme", deger) || deger.empty())
        return reddet(yol, "guncelleme bos: bunu alan oyuncular bir daha guncelleme istemez (--zorla ile yine de)");
    if (!aciklar) return true;
    if (!ayar_bul(liste, "imza_anahtari", deger) || !ortak_anahtar_var_mi(deger, *aciklar))
        return reddet(yol, "imza_anahtari bu imzanin acik anahtari degil: oyuncular sonraki listeleri reddeder "
                           "(acik anahtar " + aciklar->front() + "; --zorla ile yine de)");
    return true;
}

bool launcher_uygun_mu(const fs::path& kok) {
    const fs::path yol = kok / "MorvatanLauncher";
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(yol, ec)) || bu_sistemde_calisir_mi(yol.string())) return true;
    return reddet(yol, "x86-64 Linux programi degil: oyuncularin launcher'i onu kurmaz, her guncelleme basarisiz olur");
}

bool sira_dusmuyor_mu(const fs::path& kok, uint64_t sira) {
    const fs::path yol = kok / guncelleme::IMZA_DOSYASI;
    std::string metin;
    guncelleme::imza_kaydi eski;
    if (dosya_oku(yol.string(), metin, 4096) != okuma::TAMAM || !guncelleme::imza_coz(metin, eski)) return true;
    if (sira >= eski.sira) return true;
    return reddet(yol, "sira " + std::to_string(sira) + ", burada imzali olan " + std::to_string(eski.sira) +
                           "'den kucuk: onu alan oyuncular bunu reddeder (--zorla ile yine de)");
}

void eski_imzayi_kaldir(const fs::path& kok) {
    const fs::path yol = kok / guncelleme::IMZA_DOSYASI;
    std::error_code ec;
    if (fs::remove(yol, ec)) std::fprintf(stderr, "morvatan-liste: %s: imzasiz yayin, eski imza silindi\n", yol.c_str());
}
