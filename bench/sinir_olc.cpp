// sinir_olc DIR URL KIB: one update run in DIR with the download cap at KIB KiB/s. Samples the
// bytes received every 50 ms and prints, as ratios of the cap, the lowest and the highest rate
// of any 5 s window from the first byte to the last, then the whole run's rate.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "updater/durum.h"
#include "updater/isci.h"

namespace {

using saat = std::chrono::steady_clock;
const double ADIM = 0.05;   // seconds between samples
const double PENCERE = 5;   // seconds of a window

double saniye(saat::time_point t, saat::time_point bas) { return std::chrono::duration<double>(t - bas).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "kullanim: sinir_olc KLASOR ADRES KIB\n");
        return 2;
    }
    guncelleme::kaynak k;
    k.adres = argv[2];
    k.hiz_siniri = guncelleme::hiz_siniri_coz(argv[3]);
    const double siniri = double(k.hiz_siniri);
    guncelleme::baslat(k, "MorvatanLauncher");
    std::vector<std::pair<double, int64_t>> ornekler;  // (seconds, bytes)
    const auto bas = saat::now();
    while (true) {
        const int32_t d = guncelleme::durum.load();
        ornekler.emplace_back(saniye(saat::now(), bas), guncelleme::inen_bayt.load());
        if (d == guncelleme::GUNCEL || d == guncelleme::BASARISIZ) break;
        std::this_thread::sleep_until(bas + std::chrono::duration_cast<saat::duration>(
                                                std::chrono::duration<double>(ADIM * double(ornekler.size()))));
    }
    guncelleme::iplik.join();
    if (guncelleme::durum.load() != guncelleme::GUNCEL) {
        std::fprintf(stderr, "%s\n", guncelleme::mesaj_al().c_str());
        return 1;
    }
    // From the sample before the first byte to the first sample that holds the last one.
    size_t ilk = 0, son = ornekler.size() - 1;
    while (ilk + 1 < ornekler.size() && ornekler[ilk + 1].second == 0) ++ilk;
    while (son > 0 && ornekler[son - 1].second == ornekler.back().second) --son;
    double en_az = 1e9, en_cok = 0;
    for (size_t i = ilk, j = ilk; i <= son; ++i) {
        while (j <= son && ornekler[j].first < ornekler[i].first + PENCERE) ++j;
        if (j > son) break;
        const double hiz = double(ornekler[j].second - ornekler[i].second) / (ornekler[j].first - ornekler[i].first);
        en_az = std::min(en_az, hiz / siniri);
        en_cok = std::max(en_cok, hiz / siniri);
    }
    const double ortalama = double(ornekler[son].second) / (ornekler[son].first - ornekler[ilk].first) / siniri;
    std::printf("%.3f %.3f %.3f\n", en_az, en_cok, ortalama);
    return 0;
}
