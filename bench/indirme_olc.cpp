// indirme_olc DIR URL: one whole update run of the launcher's worker in DIR against URL
// (manifest, check, downloads in batches or streamed, cache); prints "<seconds> <ok>". The
// reference beside it in bench/olc.sh is curl fetching the same files.
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "updater/durum.h"
#include "updater/isci.h"

int main(int argc, char** argv) {
    if (argc != 3 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "kullanim: indirme_olc KLASOR ADRES\n");
        return 2;
    }
    const auto bas = std::chrono::steady_clock::now();
    guncelleme::calis(argv[2], "MorvatanLauncher");
    const std::chrono::duration<double> sure = std::chrono::steady_clock::now() - bas;
    const bool tamam = guncelleme::durum.load() == guncelleme::GUNCEL;
    std::printf("%.4f %d\n", sure.count(), int(tamam));
    if (!tamam) std::fprintf(stderr, "%s\n", guncelleme::mesaj_al().c_str());
    return tamam ? 0 : 1;
}
