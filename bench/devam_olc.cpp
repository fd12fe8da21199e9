// devam_olc DIR URL: starts an update run in DIR, stops it once half of the bytes have
// arrived (as a player closing the launcher would), then runs the update again to the end.
// Prints the final state number; bench/olc.sh reads what the server sent in all.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "updater/durum.h"
#include "updater/isci.h"

int main(int argc, char** argv) {
    if (argc != 3 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "kullanim: devam_olc KLASOR ADRES\n");
        return 2;
    }
    guncelleme::baslat(argv[2], "MorvatanLauncher");
    while (guncelleme::durum.load() != guncelleme::INDIRILIYOR ||
           guncelleme::inen_bayt.load() < guncelleme::toplam_bayt.load() / 2) {
        if (guncelleme::durum.load() == guncelleme::BASARISIZ) return 1;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    kapaniyor = true;
    guncelleme::iplik.join();
    kapaniyor = false;
    guncelleme::calis(argv[2], "MorvatanLauncher");
    std::printf("%d\n", int(guncelleme::durum.load()));
    return guncelleme::durum.load() == guncelleme::GUNCEL ? 0 : 1;
}
