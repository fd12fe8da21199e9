// indirme_olc DIR URL: one update run of the launcher's worker in DIR against URL; prints
// "<download seconds> <ok> <cache-write seconds>". The manifest and the check phase run
// untimed first. The download phase (batches or streamed files, each checked and renamed into
// place) is what bench/olc.sh sets against curl fetching the same files; the closing cache
// write, whose fsync makes every downloaded file durable (curl makes none), is timed apart.
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "updater/durum.h"
#include "updater/indirme.h"
#include "updater/isci.h"

namespace {

double saniye(std::chrono::steady_clock::time_point bas) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - bas).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "kullanim: indirme_olc KLASOR ADRES\n");
        return 2;
    }
    std::string adres = argv[2], govde, hata;
    guncelleme::liste l;
    if (!guncelleme::liste_al(adres + "dosyalar-linux.txt", govde, hata) ||
        guncelleme::liste_coz(govde, l) != guncelleme::liste_sonucu::TAMAM) {
        std::fprintf(stderr, "liste alinamadi: %s\n", hata.c_str());
        return 1;
    }
    guncelleme::onbellek tablo;
    std::vector<const guncelleme::kayit*> indirilecekler;
    int64_t toplam = 0;
    guncelleme::denetle(l, tablo, indirilecekler, toplam);
    bool yeniden = false;
    auto bas = std::chrono::steady_clock::now();
    const bool tamam = guncelleme::indir(indirilecekler, adres, "MorvatanLauncher", tablo, yeniden);
    const double indirme = saniye(bas);
    bas = std::chrono::steady_clock::now();
    guncelleme::onbellek_yaz(tablo);
    std::printf("%.4f %d %.4f\n", indirme, int(tamam), saniye(bas));
    if (!tamam) std::fprintf(stderr, "%s\n", guncelleme::mesaj_al().c_str());
    return tamam ? 0 : 1;
}
