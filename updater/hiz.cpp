// The pace of a capped update run. No state beyond each run's own hiz_duzeni.
#include "updater/hiz.h"

#include <algorithm>
#include <thread>

#include "updater/durum.h"

namespace guncelleme {

using saat = std::chrono::steady_clock;

int64_t hiz_duzeni::adim_bayti(int64_t sinirsiz) const {
    return siniri > 0 ? std::max<int64_t>(1, std::min(sinirsiz, siniri / 4)) : sinirsiz;
}

bool hiz_duzeni::basla() {
    while (siniri > 0 && saat::now() < hazir) {
        if (kapaniyor.load()) return false;
        std::this_thread::sleep_for(std::min<saat::duration>(hazir - saat::now(), std::chrono::milliseconds(20)));
    }
    basladi = saat::now();
    baslangic_bayti = inen_bayt.load();
    return !kapaniyor.load();
}

void hiz_duzeni::bitti() {
    if (siniri <= 0) return;
    const int64_t bayt = inen_bayt.load() - baslangic_bayti;
    hazir = basladi + std::chrono::duration_cast<saat::duration>(std::chrono::duration<double>(double(bayt) / double(siniri)));
}

}  // namespace guncelleme
