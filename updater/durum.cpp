// Update state: the shared atomics, texts and thread of the update worker, the size text and
// the download-rate rule. The globals below are the only shared data of the updater.
#include "updater/durum.h"

#include <cstdio>

std::atomic<bool> kapaniyor{false};  // main thread sets (shutdown) and clears (baslat)

namespace guncelleme {

std::atomic<int32_t> durum{BASLAMADI};   // written by baslat (main) and the worker
std::atomic<int32_t> toplam_dosya{0};    // worker
std::atomic<int32_t> biten_dosya{0};     // worker
std::atomic<int64_t> toplam_bayt{0};     // worker, through the calls below only
std::atomic<int64_t> inen_bayt{0};       // worker, through the calls below only
std::mutex kilit;
metinler::ileti mesaj;                    // worker, under kilit
std::string surum;                        // worker, under kilit
std::string yedek;                        // worker and baslat, under kilit
// Never destroyed: when the process ends without the orderly shutdown (the window system
// going away calls exit()), a finished but unjoined worker must not abort the exit.
std::thread& iplik = *new std::thread;    // main thread only

namespace {
metinler::ileti deneme_notu;  // under kilit
}

void ilerleme_baslat(int64_t plan, size_t dosya) {
    toplam_bayt.store(plan);
    inen_bayt.store(0);
    toplam_dosya.store(int32_t(dosya));
    biten_dosya.store(0);
}

void alindi(int64_t n) { inen_bayt.fetch_add(n); }

void ek_alindi(int64_t n) {
    toplam_bayt.fetch_add(n);  // first, so that the bar never runs past its end
    inen_bayt.fetch_add(n);
}

void yeniden_gelecek(int64_t n) { toplam_bayt.fetch_add(n); }

void gerekmiyor(int64_t n) { toplam_bayt.fetch_sub(n); }

void hata_ver(const metinler::ileti& hata) {
    {
        std::lock_guard<std::mutex> k(kilit);
        mesaj = hata;
        deneme_notu = {};
    }
    durum.store(BASARISIZ);
}

void deneme_notu_koy(const metinler::ileti& not_) {
    std::lock_guard<std::mutex> k(kilit);
    deneme_notu = not_;
}

std::string deneme_notu_al() {
    metinler::ileti kopya;
    {
        std::lock_guard<std::mutex> k(kilit);
        kopya = deneme_notu;
    }
    return metinler::yaz(kopya);
}

std::string mesaj_al() {
    metinler::ileti kopya;
    {
        std::lock_guard<std::mutex> k(kilit);
        kopya = mesaj;
    }
    return metinler::yaz(kopya);
}

std::string surum_al() {
    std::lock_guard<std::mutex> k(kilit);
    return surum;
}

std::string yedek_al() {
    std::lock_guard<std::mutex> k(kilit);
    return yedek;
}

void yedek_koy(const std::string& sunucu) {
    std::lock_guard<std::mutex> k(kilit);
    yedek = sunucu;
}

}  // namespace guncelleme

std::string boyut_yazisi(int64_t bayt) {
    const double MB = 1048576.0, GB = 1073741824.0;
    char tampon[32];
    if (bayt < 104857600)
        std::snprintf(tampon, sizeof tampon, "%.1f MB", double(bayt) / MB);
    else if (bayt < 1073741824)
        std::snprintf(tampon, sizeof tampon, "%.0f MB", double(bayt) / MB);
    else
        std::snprintf(tampon, sizeof tampon, "%.2f GB", double(bayt) / GB);
    return tampon;
}

void hiz_guncelle(hiz_olcumu& h, int32_t durum, int64_t inen, double simdi) {
    // Without a sample the first rate would be measured from the clock's epoch: near zero,
    // and every later value smoothed towards it. A first sample only starts the measurement.
    if (durum != guncelleme::INDIRILIYOR || !h.ornek_var) {
        h.ornek_var = true;
        h.ornek_bayt = inen;
        h.ornek_zaman = simdi;
        h.hiz = 0;
        return;
    }
    const double gecen = simdi - h.ornek_zaman;
    if (gecen < 1.0) return;
    double r = double(inen - h.ornek_bayt) / gecen;
    if (h.hiz > 0) r = 0.3 * r + 0.7 * h.hiz;
    h.hiz = r;
    h.ornek_bayt = inen;
    h.ornek_zaman = simdi;
}
