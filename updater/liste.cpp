// The update manifest: line splitting, the entry rules and path validation.
// Pure functions; no state.
#include "updater/liste.h"

#include <cstdlib>
#include <string_view>

namespace guncelleme {
namespace {

const std::string_view BASLIK = "morvatan-liste 1";
const std::string_view SURUM = "surum ";

bool parca_gecerli(std::string_view parca) { return !parca.empty() && parca != "." && parca != ".."; }

bool sonu_mu(std::string_view ad, std::string_view son) {
    return ad.size() >= son.size() && ad.substr(ad.size() - son.size()) == son;
}

// Calls `her` for every name between the slashes of the path, in order.
template <typename F>
bool her_ad(std::string_view yol, F her) {
    for (size_t bas = 0;;) {
        const size_t bolu = yol.find('/', bas);
        if (!her(yol.substr(bas, bolu == std::string_view::npos ? std::string_view::npos : bolu - bas))) return false;
        if (bolu == std::string_view::npos) return true;
        bas = bolu + 1;
    }
}

// One entry line: digest, space, size, space, path (the rest of the line).
bool giris_coz(std::string_view satir, kayit& k) {
    size_t b1 = satir.find(' ');
    size_t b2 = satir.find(' ', b1 + 1);
    k.ozet.assign(satir.substr(0, b1));
    std::string boyut(satir.substr(b1 + 1, b2 - b1 - 1));
    k.boyut = std::strtoll(boyut.c_str(), nullptr, 10);
    k.yol.assign(satir.substr(b2 + 1));
    return k.ozet.size() == 64 && k.boyut >= 0 && k.boyut <= BOYUT_SINIRI && yol_gecerli_mi(k.yol);
}

size_t bosluk_say(std::string_view satir, size_t en_cok) {
    size_t n = 0;
    for (char c : satir)
        if (c == ' ' && ++n >= en_cok) break;
    return n;
}

}  // namespace

bool yol_gecerli_mi(const std::string& yol) {
    if (yol.empty() || yol[0] == '/' || yol[0] == '\\') return false;
    if (yol.find(':') != std::string::npos || yol.find('\0') != std::string::npos) return false;
    return her_ad(yol, parca_gecerli);
}

bool adlar_sigiyor_mu(const std::string& yol) {
    return her_ad(yol, [](std::string_view ad) { return ad.size() <= AD_SINIRI; });
}

bool ayrilmis_mi(const std::string& yol) {
    const std::string_view ilk = std::string_view(yol).substr(0, yol.find('/'));
    for (std::string_view ad : {"launcher.ini", "launcher.kilit", "oyun.kilit", "guncelleme.cache", "guncelleme.sira"})
        if (ilk == ad) return true;
    return !her_ad(yol, [](std::string_view ad) {
        return !sonu_mu(ad, ".indir") && !sonu_mu(ad, ".eski") && !sonu_mu(ad, ".yeni");
    });
}

liste_sonucu liste_coz(const std::string& govde, liste& cikti) {
    std::string_view kalan = govde;
    bool ilk = true;
    int64_t toplam = 0;  // sizes that no 64-bit total can hold are not a real installation
    while (!kalan.empty()) {
        size_t son = kalan.find('\n');
        std::string_view satir = kalan.substr(0, son);
        kalan.remove_prefix(son == std::string_view::npos ? kalan.size() : son + 1);
        if (!satir.empty() && satir.back() == '\r') satir.remove_suffix(1);
        if (ilk) {
            if (satir.substr(0, BASLIK.size()) != BASLIK) return liste_sonucu::BOZUK;
            ilk = false;
            continue;
        }
        if (satir.substr(0, SURUM.size()) == SURUM) {
            cikti.surum_var = true;
            cikti.surum.assign(satir.substr(SURUM.size()));
            continue;
        }
        if (satir.empty() || satir[0] == '#' || bosluk_say(satir, 2) < 2) continue;
        kayit k;
        if (!giris_coz(satir, k)) return liste_sonucu::GECERSIZ_SATIR;
        if (!adlar_sigiyor_mu(k.yol)) {
            cikti.uzun_ad = k.yol;
            return liste_sonucu::UZUN_AD;
        }
        if (__builtin_add_overflow(toplam, k.boyut, &toplam)) return liste_sonucu::BOZUK;
        cikti.kayitlar.push_back(std::move(k));
    }
    return ilk ? liste_sonucu::BOZUK : liste_sonucu::TAMAM;
}

}  // namespace guncelleme
