// One launcher per installation: an exclusive lock on "launcher.kilit" in the launcher's
// directory, held for the life of the process and released by the kernel when it ends, so a
// crash never leaves a stale lock. Two launchers in one installation would unlink and
// rename each other's downloads; the second one must touch nothing.
//
// The lock file holds the holder's process id, which a second start uses to ask the holder
// (SIGUSR1) to bring its window to the front. In a folder where no lock file can be made (an
// installation the player may only read) the folder itself is locked instead: a second start
// still stops, though it cannot name the holder to call to the front. A launcher started by the self-restart finds
// its parent, the old launcher, holding the lock or just releasing it, and waits a bounded
// time for it; the old one stays until the new one has marked its window up (birak, below).
// Main thread only, except the signal flag.
#pragma once
#include <sys/types.h>

namespace tekil {

enum class sonuc {
    ALINDI,             // this process holds the lock
    BASKASI_CALISIYOR,  // another launcher holds it and has been asked to come to the front
    KILITSIZ,           // neither the lock file nor the folder can be opened: run unlocked
};

const char* const KILIT_DOSYASI = "launcher.kilit";
const double DEVIR_SURESI = 15.0;  // seconds a restarted launcher waits for the old one to end

// Takes the lock in the working directory. Installs the front-request handler first, so a
// second start can never kill this process with its request.
sonuc al();

// True once for each front request that arrived since the last call.
bool one_istendi_mi();

// The self-restart's hand-over. The old launcher releases the lock (birak) and waits while
// the new one takes it and, once its window is up, adds a mark to the lock file (hazir_yaz);
// hazir_mi tells the old one that process `pid` holds the lock, and whether it has marked.
// `devralindi` is true in a launcher that took the lock over from the one that started it.
void birak();
void hazir_yaz();
enum class devir { YOK, KILITTE, HAZIR };
devir devir_durumu(pid_t pid);
bool devralindi();

}  // namespace tekil
