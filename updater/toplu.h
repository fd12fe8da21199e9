// Batched downloads: the small files of a run fetched many at a time by one curl process,
// then checked and put in place one by one in manifest order, exactly as the per-file step
// would (same texts, same files in place after a failure, same cache records and counters).
//
// A process start costs more than a small file's transfer, so a run of thousands of small
// files pays for a handful of processes instead of one per file. Update worker thread only.
#pragma once
#include <sys/types.h>

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
const int PARALEL = 8;                      // transfers in flight in one process, far server
const int YAKIN_PARALEL = 2;                // the same for a near one
const double YAKIN_BAGLANTI = 0.001;        // seconds: a server reached faster than this is near

// A value of curl's config format: between double quotes, with backslash, quote and the
// control characters that curl knows escaped, so that it can never end early.
std::string yapilandirma_degeri(const std::string& deger);

// The url and output lines of curl's config for the entries, in their order, each written to
// the output of the same place in `ciktilar`.
std::string toplu_yapilandirma(const std::vector<const kayit*>& grup, const std::vector<std::string>& ciktilar,
                               const std::string& adres);

// One line of the batch's write-out: "URLNUM EXITCODE HTTPCODE SIZE CONNECTS CONNECT_TIME",
// then optionally " R" and a Retry-After (anything but whole seconds counts as none).
struct aktarim_sonucu {
    size_t sira = 0;       // index of the transfer in the config
    int cikis = -1;        // curl's exit code for that transfer
    long http = 0;
    int64_t inen = 0;      // body bytes received
    double baglanti = -1;  // seconds it took to connect; below 0 when a connection was reused
    double bekleme = 0;    // the Retry-After the server asked, in seconds; 0 for none
};
bool sonuc_satiri_coz(const std::string& satir, aktarim_sonucu& s);

// Transfers in flight for a server whose quickest connection so far took `en_kisa_baglanti`
// seconds (below 0: none seen yet, so PARALEL). Eight hide the round trips of a far server. A
// near one (this machine, its network) answers as soon as it is asked: two keep it busy, one
// request travelling while the other is served, and more only make it juggle connections (a
// one-process server on this machine served 20,000 small files faster to two than to eight,
// and to one). Through a proxy the connection is to the proxy, which says nothing of the
// server behind it: `vekil_var` keeps eight.
int paralel_sayisi(double en_kisa_baglanti, bool vekil_var);

// Whether curl is told to go through a proxy by the environment (the variables it reads).
bool vekil_var_mi();

// How many entries from `bas` on form the next batch: small ones only, within TOPLU_ADET and
// `bayt_siniri` listed bytes, each path once (a batch makes all its temporaries before any
// file is put in place, so a path listed twice goes to the next one). At least one when the
// first is small (below TOPLU_SINIRI and within `bayt_siniri`); 0 when it is not: it is then
// streamed on its own.
size_t toplu_uzunluk(const std::vector<const kayit*>& liste, size_t bas, int64_t bayt_siniri = TOPLU_BAYT);

// Where one file of a batch arrives: a file curl makes itself, named by the file's place in
// the batch, in the batch's own folder (ozel_klasor_ac). No one else can plant anything
// there, so whatever is at that name is curl's; and curl creating a new file costs less than
// truncating one made beforehand (ext4 writes a truncated file out at its close).
struct toplu_gecici {
    const kayit* e = nullptr;
    std::string gecici;
};

// The temporaries of a batch, in its order, up to the first whose folder cannot be made.
struct toplu_hazirlik {
    std::string klasor;  // the batch's own folder ("" when it could not be made)
    std::vector<toplu_gecici> geciciler;
    size_t yazilamayan = 0;  // index of the first that cannot be written; the batch's size if none
};

// Makes the batch's folder and the folders its files go to. Stops early, with fewer made,
// when the launcher is closing. Any thread: the next batch's are made while one travels.
toplu_hazirlik toplu_hazirla(const std::vector<const kayit*>& grup);

// Removes the batch's folder with what is left in it.
void toplu_hazirligi_sil(const toplu_hazirlik& h);

// Whether the temporaries of `sonraki` may be made while `simdiki` travels: no path of one is
// a path, or a folder above a path, of the other (making a folder may remove a file where it
// goes, and a path listed in both would lose the first batch's temporary).
bool birlikte_hazirlanir_mi(const std::vector<const kayit*>& simdiki, const std::vector<const kayit*>& sonraki);

// Downloads and puts in place every entry of `grup` (all below TOPLU_SINIRI), stopping at
// the first that fails. Transfers that failed in a way that may pass are fetched again, from
// their first byte, after the waits of updater/tekrar.h. Sets `yeniden` when the launcher
// must restart.
// `hazirlik` holds the batch's temporaries, made by toplu_hazirla. `en_kisa_baglanti` is the
// quickest connection of the run's batches so far (below 0 before any), which sets how many
// transfers are in flight; it is lowered by what this batch sees.
adim_sonucu toplu_guncelle(const std::vector<const kayit*>& grup, toplu_hazirlik hazirlik, const std::string& adres,
                           const std::string& kendi_yolu, onbellek& tablo, bool& yeniden, double& en_kisa_baglanti);

}  // namespace guncelleme
