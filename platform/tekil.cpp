// The installation lock: flock on the lock file, the holder's id inside it, the hand-over to
// a restarted launcher and the front request. State: the lock's descriptor and the request flag.
#include "platform/tekil.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/tanimlayici.h"

namespace tekil {
namespace {

const auto YOKLAMA = std::chrono::milliseconds(50);  // pause between two tries during a hand-over

int kilit_fd = -1;                           // main thread; open for the life of the process
bool devralan = false;                       // main thread; set once by al()
const char* const HAZIR_ISARETI = "hazir";   // the second line of a restarted launcher's lock file
volatile sig_atomic_t one_istegi = 0;        // set by the signal handler, cleared by the main thread

void istek_isleyici(int) { one_istegi = 1; }

void isleyici_kur() {
    struct sigaction sa {};
    sa.sa_handler = istek_isleyici;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &sa, nullptr);
}

bool kilitle(int fd) { return flock(fd, LOCK_EX | LOCK_NB) == 0; }

pid_t sahip_oku(int fd) {
    char tampon[32] = {0};
    ssize_t n = pread(fd, tampon, sizeof tampon - 1, 0);
    if (n <= 0) return 0;
    long pid = std::strtol(tampon, nullptr, 10);
    return pid > 0 ? pid_t(pid) : 0;
}

void sahip_yaz(int fd, bool hazir = false) {
    const std::string metin = std::to_string(getpid()) + "\n" + (hazir ? std::string(HAZIR_ISARETI) + "\n" : "");
    if (ftruncate(fd, 0) != 0) return;
    ssize_t n = pwrite(fd, metin.data(), metin.size(), 0);
    (void)n;
}

std::string program_yolu(const std::string& baglanti) {
    char tampon[4096];
    ssize_t n = readlink(baglanti.c_str(), tampon, sizeof tampon - 1);
    std::string yol(tampon, n > 0 ? size_t(n) : 0);
    const std::string silindi = " (deleted)";  // the holder may have been replaced on disk
    if (yol.size() > silindi.size() && yol.compare(yol.size() - silindi.size(), silindi.size(), silindi) == 0)
        yol.resize(yol.size() - silindi.size());
    return yol;
}

// The id in the file may be a stale one for a moment (the holder writes it just after
// locking); only a process running this very program is sent the request.
void one_iste(pid_t sahip) {
    const std::string kendi = program_yolu("/proc/self/exe");
    if (kendi.empty() || program_yolu("/proc/" + std::to_string(sahip) + "/exe") != kendi) return;
    kill(sahip, SIGUSR1);
}

// The old launcher started this one and is closing: its lock goes when its process ends.
bool devir_bekle(int fd) {
    const auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(DEVIR_SURESI);
    while (std::chrono::steady_clock::now() < son) {
        std::this_thread::sleep_for(YOKLAMA);
        if (kilitle(fd)) return true;
    }
    return false;
}

// No lock file can be made: the folder's own descriptor carries the lock.
sonuc klasoru_kilitle() {
    tanimlayici fd(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.acik()) return sonuc::KILITSIZ;
    if (!kilitle(fd.fd)) return sonuc::BASKASI_CALISIYOR;
    kilit_fd = fd.birak();
    return sonuc::ALINDI;
}

}  // namespace

sonuc al() {
    isleyici_kur();
    tanimlayici fd(open(KILIT_DOSYASI, O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    // flock needs no write access: a lock file the player cannot write (left by a run as
    // another user) still keeps two launchers of one installation apart.
    if (!fd.acik()) fd = tanimlayici(open(KILIT_DOSYASI, O_RDONLY | O_CLOEXEC));
    if (!fd.acik()) return klasoru_kilitle();
    bool alindi = kilitle(fd.fd);
    // The file still names the last holder: the launcher that restarted into this one, when
    // it is this process's parent (which may have released the lock already, or not yet).
    const pid_t sahip = sahip_oku(fd.fd);
    devralan = sahip > 0 && sahip == getppid();
    if (!alindi) {
        // A process releases its locks before its children are handed to another parent, so
        // a parent that is already gone has already released the lock: the second try takes it.
        alindi = devralan ? devir_bekle(fd.fd) : kilitle(fd.fd);
        if (!alindi) {
            if (sahip > 0) one_iste(sahip);
            return sonuc::BASKASI_CALISIYOR;
        }
    }
    sahip_yaz(fd.fd);
    kilit_fd = fd.birak();
    return sonuc::ALINDI;
}

void birak() {
    if (kilit_fd >= 0) ::close(kilit_fd);
    kilit_fd = -1;
}

void hazir_yaz() {
    if (kilit_fd >= 0) sahip_yaz(kilit_fd, true);
}

devir devir_durumu(pid_t pid) {
    const tanimlayici fd(open(KILIT_DOSYASI, O_RDONLY | O_CLOEXEC));
    char tampon[64] = {0};
    const ssize_t n = fd.acik() ? pread(fd.fd, tampon, sizeof tampon - 1, 0) : -1;
    if (n <= 0 || sahip_oku(fd.fd) != pid) return devir::YOK;
    return std::strstr(tampon, HAZIR_ISARETI) ? devir::HAZIR : devir::KILITTE;
}

bool devralindi() { return devralan; }

bool one_istendi_mi() {
    if (!one_istegi) return false;
    one_istegi = 0;
    return true;
}

}  // namespace tekil
