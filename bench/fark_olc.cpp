// fark_olc DIR URL: one update run in DIR. Prints the seconds of its download phase (from the
// state INDIRILIYOR to the end, so a check that hashes an old copy with no cache record does
// not count) and the process's peak resident memory in KiB.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "updater/durum.h"
#include "updater/isci.h"

int main(int argc, char** argv) {
    if (argc != 3 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "kullanim: fark_olc KLASOR ADRES\n");
        return 2;
    }
    using saat = std::chrono::steady_clock;
    guncelleme::baslat(argv[2], "MorvatanLauncher");
    saat::time_point bas{};
    bool basladi = false;
    while (true) {
        const int32_t d = guncelleme::durum.load();
        if (!basladi && d == guncelleme::INDIRILIYOR) {
            bas = saat::now();
            basladi = true;
        }
        if (d == guncelleme::GUNCEL || d == guncelleme::BASARISIZ) break;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const auto son = saat::now();
    guncelleme::iplik.join();
    if (guncelleme::durum.load() != guncelleme::GUNCEL || !basladi) {
        std::fprintf(stderr, "%s\n", guncelleme::mesaj_al().c_str());
        return 1;
    }
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    std::printf("%.3f %ld\n", std::chrono::duration<double>(son - bas).count(), r.ru_maxrss);
    return 0;
}
