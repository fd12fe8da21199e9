// Retry waits of the update worker. Its only state is the tests' scale of the waits.
#include "updater/tekrar.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "updater/durum.h"

namespace guncelleme {
namespace {

std::atomic<double> olcek{1.0};  // written by tests only, before a run starts
const auto DILIM = std::chrono::milliseconds(20);  // how often a wait looks at the stop flag

double rastgele_pay() {
    thread_local std::minstd_rand uretec{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 0.2)(uretec);
}

}  // namespace

bool tekrar_bekle(int deneme, double istenen) {
    deneme_notu_koy({metinler::tur::YENIDEN_DENENIYOR, "", deneme, TEKRAR_SAYISI});
    double saniye = 1;
    for (int i = 1; i < deneme; ++i) saniye *= 3;
    saniye *= (1 + rastgele_pay()) * olcek.load();
    saniye = std::max(saniye, std::min(istenen, EN_COK_ISTENEN));  // what the server asked is not scaled
    const auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(saniye);
    while (!kapaniyor.load()) {
        if (std::chrono::steady_clock::now() >= son) return true;
        std::this_thread::sleep_for(DILIM);
    }
    return false;
}

void tekrar_olcegi_koy(double o) { olcek.store(o); }

}  // namespace guncelleme
