// The update worker: fetches the manifest below the update URL, checks every listed file by
// size and (through the digest cache) by SHA-256, downloads what differs and publishes its
// progress in the shared update state. At most one worker runs at a time.
//
// baslat is called from the main thread (start-up and the retry action) and returns at once;
// the outcome is the state in updater/durum.h.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "updater/liste.h"
#include "updater/onbellek.h"

namespace guncelleme {

// What a run takes from the settings.
struct kaynak {
    std::string adres;                  // `guncelleme`: the update server
    std::vector<std::string> yedekler;  // `guncelleme_yedek`: backups, tried in this order
    std::string imza_anahtari;          // `imza_anahtari`
    std::string imza_sira;              // `imza_sira`
    int64_t hiz_siniri = 0;             // `indirme_siniri` in bytes a second; 0: no cap
};

// The addresses of a `guncelleme_yedek` value: the words between spaces, in order.
std::vector<std::string> adresleri_ayir(const std::string& deger);

// Bytes a second of an `indirme_siniri` value in KiB/s: a whole number of digits above 0;
// anything else (empty, "0", a sign, a letter) is no cap, so a slip never stops downloads.
int64_t hiz_siniri_coz(const std::string& deger);

// The host (and port) of a URL, without its scheme, any "user:password@" and its path: the
// name shown for a backup server.
std::string sunucu_adi(const std::string& adres);

// Empty URL: state GUNCEL, no worker. Otherwise joins the previous worker, removes "*.eski"
// leftovers, clears `kapaniyor` and starts a new worker. With `imza_anahtari` (the setting of
// that name: the operator's public key in hex, or several separated by spaces during a key
// change) the manifest is used only when its signature file proves it; empty means no check. `imza_sira` (the setting of that name: the sequence of
// the signed manifest the package was made from) is the lowest sequence ever accepted, so a
// fresh installation cannot be served anything older than what it was built from.
// When the manifest cannot be fetched from `adres` because the server cannot be reached or
// answers 5xx or 429, the backups are tried in turn, each under the same signature rules;
// files then come from the server whose manifest was taken, and `yedek` names it when it is a
// backup. Transfers are held to `hiz_siniri` together, however many run at once.
void baslat(const kaynak& k, const std::string& kendi_yolu);
void baslat(const std::string& adres, const std::string& kendi_yolu, const std::string& imza_anahtari = "",
            const std::string& imza_sira = "");

// The worker's body; owns copies of the strings.
void calis(kaynak k, std::string kendi_yolu);
void calis(std::string adres, std::string kendi_yolu, std::string imza_anahtari = "", std::string imza_sira = "");

// The check phase: skips the launcher's own files (ayrilmis_mi), appends every stale entry to
// `indirilecekler` in manifest order and sums their sizes, reading and filling the cache
// table. A long manifest is checked in runs on up to four threads. False when the launcher is
// closing.
bool denetle(const liste& l, onbellek& tablo, std::vector<const kayit*>& indirilecekler,
             int64_t& toplam);

// The download phase, in manifest order: runs of small entries in batches, each larger one
// streamed on its own. False when a step failed (reported) or the launcher is closing.
bool indir(const std::vector<const kayit*>& indirilecekler, const std::string& adres,
           const std::string& kendi_yolu, onbellek& tablo, bool& yeniden, int64_t hiz_siniri = 0);

}  // namespace guncelleme
