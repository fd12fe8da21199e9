// Game launch and supervision: the game started as a child with the ticket and the server
// address in its environment, watched twice a second while the launcher hides, and the
// closing picture once it has ended.
//
// The game starts through surec::baslat, so it inherits no descriptor but 0, 1 and 2, and 3:
// an exclusive lock on "oyun.kilit" in the launcher's folder, taken for it before it starts,
// so that while it runs (even after its launcher was killed) a new launcher knows and
// neither updates its files under it nor starts a second one. Main thread only.
#pragma once
#include <string>
#include <vector>

#include "app/metinler.h"

namespace oyun {

const double ERKEN_SINIR = 20.0;    // seconds: a failure before this brings the launcher back
const double KAPANIS_SURESI = 5.0;  // seconds the closing picture stays without a click

extern int oyun_pid;             // the running game, 0 when none
extern long cikis_kodu;          // last exit code (128 + signal when a signal ended it)
extern double baslatma_zamani;   // steady_saniye() when the game was started

// Whether a ticket can go to the game as it was issued: not empty, and no control byte (below
// 0x20, or 0x7F) that would cut it short in the environment or reach the game's terminal.
bool bilet_gecerli_mi(const std::string& bilet);

const char* const OYUN_KILIDI = "oyun.kilit";
const int OYUN_KILIDI_FD = 3;

// True while a game holds the lock in the working directory.
bool acik_mi();

// Starts the game. False with the failure in `hata` (OYUN_SATIRI_BOS, OYUN_EKSIK, OYUN_ACIK or
// OYUN_BASLATILAMADI) when it cannot be started.
bool baslat(const std::string& bilet, metinler::ileti& hata);

// The program path the settings name (oyun_linux when present, else oyun), "\" made "/".
std::string program_yolu();

// Whether the game program is there to be started (program_yolu names an executable file).
bool kurulu_mu();

// The environment the game gets: the launcher's own, with MORVATAN_BILET and MORVATAN_SUNUCU
// set (replacing any earlier value), one "KEY=VALUE" text each.
std::vector<std::string> ortam_kur(char** ortam, const std::string& bilet, const std::string& sunucu);

// True when an exit code and running time mean the game failed while starting.
bool erken_hata_mi(long kod, double gecen);

// One supervision pass while oyun_durumu is 1. Returns true while the game still runs or
// when the pass must not draw (the game failed early and the window was just given back).
bool denetle();

// The closing picture, in place of every other screen while oyun_durumu is 2; it asks the
// window to close on a click or after KAPANIS_SURESI.
void kapanis_ciz();

}  // namespace oyun
