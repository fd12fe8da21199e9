// Update state shared between the update worker and the main loop: the state number, four
// progress counters, the failure, version and backup-server texts under one mutex, the worker thread and the
// program-wide stop flag; plus the size text and the smoothed download rate shown on screen.
//
// The worker writes the atomics with sequentially consistent stores and the texts under
// `kilit`; the main thread reads the atomics without a lock and copies the texts under it.
// A failure is always stored before the state becomes BASARISIZ (hata_ver); the texts are
// rendered from their kinds only when the main thread asks for them.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "app/metinler.h"

extern std::atomic<bool> kapaniyor;  // stop request: set at shutdown, cleared by guncelleme::baslat

namespace guncelleme {

enum : int32_t {
    BASLAMADI = 0,       // no worker started yet (shown like DENETLENIYOR)
    DENETLENIYOR = 1,    // fetching the manifest, checking local files
    INDIRILIYOR = 2,     // downloading; the counters describe the run
    GUNCEL = 3,          // everything current, or no update URL configured
    BASARISIZ = 4,       // the run failed; `mesaj` says why
    YENIDEN_BASLAT = 5,  // the launcher replaced itself; the main loop re-executes it
};

extern std::atomic<int32_t> durum;
extern std::atomic<int32_t> toplam_dosya;  // entries listed for download in this run
extern std::atomic<int32_t> biten_dosya;   // entries downloaded, verified and put in place
extern std::atomic<int64_t> toplam_bayt;   // manifest sizes of the listed entries
extern std::atomic<int64_t> inen_bayt;     // bytes received so far, failed files included
extern std::mutex kilit;                   // guards mesaj, surum, yedek and the retry note
extern metinler::ileti mesaj;              // failure of the last run; never cleared
extern std::string surum;                  // version text of the last manifest that had one
extern std::string yedek;                  // the backup server in use ("" for the main one)
extern std::thread& iplik;                 // the current worker; joined before the next starts

// The byte counters are written here only, each call named for what happened, so that the
// bar ends full by construction: every received byte is counted once (alindi), and every byte
// that travels beyond the plan, or that the plan no longer needs, moves the plan once.
void ilerleme_baslat(int64_t plan, size_t dosya);  // a run's plan: the stale files' listed sizes
void alindi(int64_t n);                // bytes received for a listed file
void ek_alindi(int64_t n);             // bytes received beside the listed ones (a block index)
void yeniden_gelecek(int64_t n);       // bytes received in vain that will come again
void gerekmiyor(int64_t n);            // planned bytes that will not travel (kept, or unchanged)

// Stores the failure under the lock, then the state BASARISIZ.
void hata_ver(const metinler::ileti& hata);

// What the worker is doing about a failure it still tries to mend ("" when nothing): the
// status line shows it instead of the progress while the run goes on.
void deneme_notu_koy(const metinler::ileti& not_);
std::string deneme_notu_al();

// The texts, rendered from copies taken under the lock.
std::string mesaj_al();
std::string surum_al();
std::string yedek_al();
void yedek_koy(const std::string& sunucu);

}  // namespace guncelleme

// "12.3 MB" below 100 MiB, "123 MB" below 1 GiB, "1.23 GB" from 1 GiB on.
std::string boyut_yazisi(int64_t bayt);

// The smoothed download rate, updated once per frame by the main loop.
struct hiz_olcumu {
    double hiz = 0;         // bytes per second, shown while above 1
    int64_t ornek_bayt = 0; // byte count of the last sample
    double ornek_zaman = 0; // steady-clock seconds of the last sample
    bool ornek_var = false; // a sample has been taken (at start-up, or by the first call)
};

// Outside INDIRILIYOR, and on the very first call, the sample follows the counter and the rate
// is 0; while downloading, a
// new sample is taken once a second has passed and smoothed as 0.3 new + 0.7 previous.
void hiz_guncelle(hiz_olcumu& h, int32_t durum, int64_t inen, double simdi);
