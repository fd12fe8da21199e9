// indirme_olc DIR URL: downloads, verifies and puts in place every entry of URL's manifest in
// DIR with the launcher's per-file step (normally one large file); prints "<seconds> <ok>".
// Only the file steps are timed, as `curl -s -o FILE` of the same file is beside it in
// bench/olc.sh; the manifest is fetched first, untimed.
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "updater/durum.h"
#include "updater/indirme.h"
#include "updater/liste.h"

int main(int argc, char** argv) {
    if (argc != 3 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "kullanim: indirme_olc KLASOR ADRES\n");
        return 2;
    }
    const std::string adres = argv[2];
    std::string govde, hata;
    guncelleme::liste l;
    if (!guncelleme::liste_al(adres + "dosyalar-linux.txt", govde, hata) ||
        guncelleme::liste_coz(govde, l) != guncelleme::liste_sonucu::TAMAM) {
        std::fprintf(stderr, "liste alinamadi: %s\n", hata.c_str());
        return 1;
    }
    guncelleme::onbellek tablo;
    bool yeniden = false, tamam = true;
    auto bas = std::chrono::steady_clock::now();
    for (const guncelleme::kayit& e : l.kayitlar)
        tamam = tamam && guncelleme::dosya_guncelle(e, adres, "MorvatanLauncher", tablo, yeniden) ==
                             guncelleme::adim_sonucu::TAMAM;
    std::chrono::duration<double> sure = std::chrono::steady_clock::now() - bas;
    std::printf("%.4f %d\n", sure.count(), int(tamam));
    if (!tamam) std::fprintf(stderr, "%s\n", guncelleme::mesaj_al().c_str());
    return tamam ? 0 : 1;
}
