// denetim_olc DIR: the check phase of an update run over the installation in DIR, against
// DIR/dosyalar-linux.txt: parse the manifest, read the digest cache, check every file, write
// the cache. Prints "<seconds> <stale files>". Run by bench/olc.sh beside `find`.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>

#include "platform/dosya.h"
#include "updater/isci.h"
#include "updater/liste.h"
#include "updater/onbellek.h"

int main(int argc, char** argv) {
    if (argc != 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "kullanim: denetim_olc KLASOR\n");
        return 2;
    }
    std::string govde;
    if (dosya_oku("dosyalar-linux.txt", govde, size_t(1) << 30) != okuma::TAMAM) return 1;

    auto bas = std::chrono::steady_clock::now();
    // As the worker does: the cache is read while the manifest is parsed.
    std::future<guncelleme::onbellek> okunan = std::async(guncelleme::onbellegi_oku);
    guncelleme::liste l;
    if (guncelleme::liste_coz(govde, l) != guncelleme::liste_sonucu::TAMAM) return 1;
    guncelleme::onbellek tablo = okunan.get();
    std::vector<const guncelleme::kayit*> indirilecekler;
    int64_t toplam = 0;
    guncelleme::denetle(l, tablo, indirilecekler, toplam);
    guncelleme::onbellek_yaz(tablo);
    std::chrono::duration<double> sure = std::chrono::steady_clock::now() - bas;
    std::printf("%.4f %zu\n", sure.count(), indirilecekler.size());
    return 0;
}
