// Batched downloads: the small files of a run fetched many at a time by one curl process,
// then checked and put in place one by one in manifest order, exactly as the per-file step
// would (same texts, same files in place after a failure, same cache records and counters).
//
// A process start costs more than a small file's transfer, so a run of thousands of small
// files pays for a handful of processes instead of one per file. Update worker thread only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "updater/liste.h"
#include "updater/onbellek.h"
#include "updater/indirme.h"

namespace guncelleme {

const int64_t TOPLU_SINIRI = DEVAM_ESIGI;   // files below this size travel in batches
const size_t TOPLU_ADET = 1000;             // files per curl process at most
const int64_t TOPLU_BAYT = 64ll << 20;      // listed bytes per curl process at most
const int PARALEL = 8;                      // transfers in flight in one process

// A value of curl's config format: between double quotes, with backslash, quote and the
// control characters that curl knows escaped, so that it can never end early.
std::string yapilandirma_degeri(const std::string& deger);

// The url and output lines of curl's config for the entries, in their order.
std::string toplu_yapilandirma(const std::vector<const kayit*>& grup, const std::string& adres);

// One line of the batch's write-out: "URLNUM EXITCODE HTTPCODE SIZE".
struct aktarim_sonucu {
    size_t sira = 0;     // index of the transfer in the config
    int cikis = -1;      // curl's exit code for that transfer
    long http = 0;
    int64_t inen = 0;    // body bytes received
};
bool sonuc_satiri_coz(const std::string& satir, aktarim_sonucu& s);

// How many entries from `bas` on form the next batch: small ones only, within TOPLU_ADET and
// `bayt_siniri` listed bytes, each path once (a batch makes all its temporaries before any
// file is put in place, so a path listed twice goes to the next one). At least one when the
// first is small (below TOPLU_SINIRI and within `bayt_siniri`); 0 when it is not: it is then
// streamed on its own.
size_t toplu_uzunluk(const std::vector<const kayit*>& liste, size_t bas, int64_t bayt_siniri = TOPLU_BAYT);

// Downloads and puts in place every entry of `grup` (all below TOPLU_SINIRI), stopping at
// the first that fails. Transfers that failed in a way that may pass are fetched again, from
// their first byte, after the waits of updater/tekrar.h. Sets `yeniden` when the launcher
// must restart.
adim_sonucu toplu_guncelle(const std::vector<const kayit*>& grup, const std::string& adres,
                           const std::string& kendi_yolu, onbellek& tablo, bool& yeniden);

}  // namespace guncelleme
