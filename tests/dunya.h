// The one-command local world (tools/dunya.sh) as a fixture for journeys: a run of the script
// in a folder of its own, screenshots per step, the screen's text areas, and the steps that
// several journeys share (a login into the demo game and back, the world closing down).
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace dunya_yolu {

using launcher_penceresi::calisan_launcher;

// One run of tools/dunya.sh in a directory of its own, with its own HOME for the launcher.
struct dunya {
    yardimci::gecici_dizin dizin;
    std::string kok, ev, cikti;
    pid_t betik = -1;

    // `secenekler`: "NAME=VALUE" variables of tools/dunya.sh that shape the world. `ust`:
    // the folder the world is laid out in (inside a system root for a root's journey).
    explicit dunya(const std::vector<std::string>& secenekler = {}, const std::string& ust = "/tmp");
    ~dunya();
    dunya(const dunya&) = delete;
    dunya& operator=(const dunya&) = delete;
    pid_t launcher_pid() const;
    std::vector<pid_t> yardimcilar() const;
};

// Screenshots of a journey, one per step, in BUILD/yolculuklar/<journey>/.
struct yolculuk {
    std::string klasor;
    int sira = 0;
    explicit yolculuk(const std::string& ad);
    void resim(const std::string& adim);
};

std::string adim_olmadi(const std::string& adim, const std::string& ayrinti);

std::string kutu_metni(const calisan_launcher& l);    // the message box
std::string durum_satiri(const calisan_launcher& l);  // the update's status line
std::string alt_satir(const calisan_launcher& l);     // version and server status

// Signing in as "ayse" with her current code starts the demo game with a ticket; a key ends
// the game and the closing picture comes; a click closes the launcher.
void giris_ve_oyun(dunya& d, yolculuk& y, calisan_launcher& l);

// The world's script has ended and left no helper and no process behind.
void dunya_kapanir(dunya& d);

}  // namespace dunya_yolu
