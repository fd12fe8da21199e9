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

// Empty URL: state GUNCEL, no worker. Otherwise joins the previous worker, removes "*.eski"
// leftovers, clears `kapaniyor` and starts a new worker. With `imza_anahtari` (the setting of
// that name: the operator's public key in hex, or several separated by spaces during a key
// change) the manifest is used only when its signature file proves it; empty means no check. `imza_sira` (the setting of that name: the sequence of
// the signed manifest the package was made from) is the lowest sequence ever accepted, so a
// fresh installation cannot be served anything older than what it was built from.
void baslat(const std::string& adres, const std::string& kendi_yolu, const std::string& imza_anahtari = "",
            const std::string& imza_sira = "");

// The worker's body; owns copies of the strings.
void calis(std::string adres, std::string kendi_yolu, std::string imza_anahtari = "", std::string imza_sira = "");

// The check phase: skips the launcher's own files (ayrilmis_mi), appends every stale entry to `indirilecekler` and sums their sizes,
// reading and filling the cache table. False when the launcher is closing.
bool denetle(const liste& l, onbellek& tablo, std::vector<const kayit*>& indirilecekler,
             int64_t& toplam);

// The download phase, in manifest order: runs of small entries in batches, each larger one
// streamed on its own. False when a step failed (reported) or the launcher is closing.
bool indir(const std::vector<const kayit*>& indirilecekler, const std::string& adres,
           const std::string& kendi_yolu, onbellek& tablo, bool& yeniden);

}  // namespace guncelleme
