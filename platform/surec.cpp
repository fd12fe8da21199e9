// Child processes: the one fork/exec of the launcher, the shell commands with pipes on top of
// it, sliced reads that honour a stop flag, and reaping. No state; each boru is its caller's.
#include "platform/surec.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <signal.h>
#include <sys/wait.h>
#include <pthread.h>
#include <time.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>

extern char** environ;

namespace surec {
namespace {

const int BEKLEME_MS = 50;            // how long one wait for data lasts before the flag is checked
const int BORU_BOYUTU = 1 << 20;      // a larger pipe lets the transfer run ahead of the reader

// The oldest C library the package is built against predates the call's name; the kernel
// answers ENOSYS where it predates the call itself, and the loop takes over.
#ifndef SYS_close_range
#define SYS_close_range 436
#endif

// What the child uses, made before the fork: it may not allocate.
struct hazirlik {
    std::vector<std::string> adaylar;  // the paths to try, in order
    std::vector<char*> argv, envp;
    char** ortam = environ;
};

std::vector<std::string> aday_yollar(const cocuk& c) {
    if (!c.yolda_ara || c.yol.find('/') != std::string::npos) return {c.yol};
    const char* yol_degiskeni = getenv("PATH");
    std::string dizinler = yol_degiskeni ? yol_degiskeni : "/usr/local/bin:/usr/bin:/bin";
    std::vector<std::string> adaylar;
    for (size_t bas = 0;;) {
        const size_t son = dizinler.find(':', bas);
        const std::string dizin = dizinler.substr(bas, son == std::string::npos ? std::string::npos : son - bas);
        adaylar.push_back((dizin.empty() ? "." : dizin) + "/" + c.yol);
        if (son == std::string::npos) return adaylar;
        bas = son + 1;
    }
}

void hazirla(const cocuk& c, hazirlik& h) {
    h.adaylar = aday_yollar(c);
    if (c.argv.empty()) h.argv.push_back(const_cast<char*>(c.yol.c_str()));
    for (const std::string& a : c.argv) h.argv.push_back(const_cast<char*>(a.c_str()));
    h.argv.push_back(nullptr);
    if (!c.ortam) return;
    for (std::string& satir : *c.ortam) h.envp.push_back(satir.data());
    h.envp.push_back(nullptr);
    h.ortam = h.envp.data();
}

// Gives the child its descriptors: the given ones become 0 to 3 (lifted above 3 first, so
// that no dup2 overwrites a source still to come) and everything else is closed.
bool tanimlayicilari_ver(const cocuk& c) {
    int kaynak[4] = {c.giris, c.cikis, c.hata, c.ucuncu};
    for (int& k : kaynak)
        if (k >= 0 && k <= 3 && (k = fcntl(k, F_DUPFD, 4)) < 0) return false;
    for (int hedef = 0; hedef < 4; ++hedef)
        if (kaynak[hedef] >= 0 && dup2(kaynak[hedef], hedef) < 0) return false;
    const unsigned ilk_kapanan = c.ucuncu >= 0 ? 4 : 3;
    if (syscall(SYS_close_range, ilk_kapanan, ~0U, 0U) != 0)
        for (int fd = int(ilk_kapanan); fd < 65536; ++fd) close(fd);
    return true;
}

[[noreturn]] void cocukta_calis(const cocuk& c, const hazirlik& h, pid_t ebeveyn) {
    if (c.bagli) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != ebeveyn) _exit(127);  // the parent died before prctl took effect
    }
    if (!c.klasor.empty() && chdir(c.klasor.c_str()) != 0) _exit(126);
    if (!tanimlayicilari_ver(c)) _exit(126);
    if (c.dosya_siniri > 0) {
        // Ignored, SIGXFSZ would not kill the child but let its write fail; the disposition
        // survives exec.
        const rlimit sinir{rlim_t(c.dosya_siniri), rlim_t(c.dosya_siniri)};
        setrlimit(RLIMIT_FSIZE, &sinir);
        signal(SIGXFSZ, SIG_IGN);
    }
    for (const std::string& yol : h.adaylar) execve(yol.c_str(), h.argv.data(), h.ortam);
    _exit(127);
}

// The intermediate child ends at once and is reaped here; its child is adopted by init, so
// nothing is left for the launcher to reap.
bool ayrik_baslat(const cocuk& c, const hazirlik& h, pid_t ebeveyn) {
    const pid_t ara = fork();
    if (ara == 0) {
        const pid_t torun = fork();
        if (torun == 0) cocukta_calis(c, h, ebeveyn);
        _exit(torun < 0 ? 1 : 0);
    }
    if (ara < 0) return false;
    int durum = 0;
    while (waitpid(ara, &durum, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(durum) && WEXITSTATUS(durum) == 0) return true;
    errno = EAGAIN;  // the second fork failed, for want of processes as a rule
    return false;
}

// Runs "/bin/sh -c 'exec komut'" bound to the calling thread, with `cikis` as standard output.
pid_t kabuk_baslat(const std::string& komut, int giris, int cikis, int hata, int64_t dosya_siniri) {
    cocuk c;
    c.yol = "/bin/sh";
    c.argv = {"sh", "-c", "exec " + komut};
    c.giris = giris;
    c.cikis = cikis;
    c.hata = hata;
    c.bagli = true;
    c.dosya_siniri = dosya_siniri;
    pid_t pid = -1;
    std::string neden;
    return baslat(c, pid, neden) ? pid : -1;
}

// Writes the input straight from the caller's buffer (no copy is made). A child that has
// already gone would raise SIGPIPE: it is held back for this thread and taken off again, so
// neither the launcher dies of it nor any other thread's or child's signal handling changes.
void girdiyi_yaz(int fd, const char* girdi, size_t n) {
    sigset_t boru_sinyali, eski;
    sigemptyset(&boru_sinyali);
    sigaddset(&boru_sinyali, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &boru_sinyali, &eski);
    for (size_t yazilan = 0; yazilan < n;) {
        ssize_t k = write(fd, girdi + yazilan, n - yazilan);
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) break;  // the child went away; its output tells the rest
        yazilan += size_t(k);
    }
    const timespec hemen{0, 0};
    while (sigtimedwait(&boru_sinyali, nullptr, &hemen) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &eski, nullptr);
}

void kapat_fd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// The pipe for a kept standard error (both ends -1 when none is kept): its read end never
// blocks, so hata_al cannot hang on a descendant that still holds the write end. False, with
// nothing open, when it cannot be made.
bool hata_borusu(bool hata_tut, int uclar[2]) {
    uclar[0] = uclar[1] = -1;
    if (!hata_tut) return true;
    if (pipe2(uclar, O_CLOEXEC) == 0 && fcntl(uclar[0], F_SETFL, O_NONBLOCK) == 0) return true;
    kapat_fd(uclar[0]);
    kapat_fd(uclar[1]);
    return false;
}

}  // namespace

bool baslat(const cocuk& c, pid_t& pid, std::string& hata) {
    hazirlik h;
    hazirla(c, h);
    const pid_t ebeveyn = getpid();
    pid = -1;
    if (c.ayrik) {
        if (ayrik_baslat(c, h, ebeveyn)) return true;
        hata = "fork: " + std::error_code(errno, std::generic_category()).message();
        return false;
    }
    pid = fork();
    if (pid == 0) cocukta_calis(c, h, ebeveyn);
    if (pid < 0) {
        hata = "fork: " + std::error_code(errno, std::generic_category()).message();
        return false;
    }
    if (c.bagli) setpgid(pid, pid);  // also from the parent, so a kill never races the child's call
    return true;
}

bool boru_ac(const std::string& komut, boru& b, bool hata_tut, int boru_boyutu) {
    int uclar[2], hata[2];
    if (!hata_borusu(hata_tut, hata)) return false;
    if (pipe2(uclar, O_CLOEXEC) != 0) {
        kapat_fd(hata[0]);
        kapat_fd(hata[1]);
        return false;
    }
    fcntl(uclar[0], F_SETPIPE_SZ, boru_boyutu > 0 ? boru_boyutu : BORU_BOYUTU);
    pid_t pid = kabuk_baslat(komut, -1, uclar[1], hata[1], 0);
    close(uclar[1]);
    kapat_fd(hata[1]);
    if (pid < 0) {
        close(uclar[0]);
        kapat_fd(hata[0]);
        return false;
    }
    b.pid = pid;
    b.fd = uclar[0];
    b.hata_fd = hata[0];
    return true;
}

bool girdili_ac(const std::string& komut, const char* girdi, size_t n, boru& b, int64_t dosya_siniri) {
    int giris[2], cikis[2];
    if (pipe2(giris, O_CLOEXEC) != 0) return false;
    if (pipe2(cikis, O_CLOEXEC) != 0) {
        close(giris[0]);
        close(giris[1]);
        return false;
    }
    pid_t pid = kabuk_baslat(komut, giris[0], cikis[1], -1, dosya_siniri);
    close(giris[0]);
    close(cikis[1]);
    if (pid < 0) {
        close(giris[1]);
        close(cikis[0]);
        return false;
    }
    b.pid = pid;
    b.fd = cikis[0];
    girdiyi_yaz(giris[1], girdi, n);
    close(giris[1]);
    return true;
}

bool dosyaya_ac(const std::string& komut, int cikis, boru& b, int64_t dosya_siniri, bool hata_tut) {
    int hata[2];
    if (!hata_borusu(hata_tut, hata)) return false;
    pid_t pid = kabuk_baslat(komut, -1, cikis, hata[1], dosya_siniri);
    kapat_fd(hata[1]);
    if (pid < 0) {
        kapat_fd(hata[0]);
        return false;
    }
    b.pid = pid;
    b.fd = -1;
    b.hata_fd = hata[0];
    return true;
}

std::string hata_al(const boru& b) {
    std::string metin;
    char tampon[4096];
    ssize_t n;
    while (b.hata_fd >= 0 && (n = read(b.hata_fd, tampon, sizeof tampon)) != 0) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        metin.append(tampon, size_t(n));
    }
    return metin;
}

bool bitti_mi(boru& b, int& durum) {
    if (b.pid <= 0) return true;
    pid_t r = waitpid(b.pid, &durum, WNOHANG);
    if (r != b.pid) return false;
    b.pid = -1;  // reaped: nothing left to wait for or to kill
    return true;
}

long oku(boru& b, char* tampon, size_t n, const std::atomic<bool>& durdur, double sinir_saniye) {
    const auto son = std::chrono::steady_clock::now() + std::chrono::duration<double>(sinir_saniye);
    while (!durdur.load()) {
        pollfd p{b.fd, POLLIN, 0};
        int hazir = poll(&p, 1, BEKLEME_MS);
        if (hazir < 0 && errno != EINTR) return -1;
        if (hazir <= 0) {
            if (std::chrono::steady_clock::now() > son) return ZAMAN_ASIMI;
            continue;
        }
        ssize_t okunan = read(b.fd, tampon, n);
        if (okunan < 0 && errno == EINTR) continue;
        return long(okunan);
    }
    return -1;
}

int bekle(boru& b) {
    int durum = 0;
    while (b.pid > 0 && waitpid(b.pid, &durum, 0) < 0 && errno == EINTR) {
    }
    b.pid = -1;
    return durum;
}

int kapat(boru& b) {
    kapat_fd(b.fd);
    kapat_fd(b.hata_fd);
    return bekle(b);
}

void sonlandir(boru& b) {
    if (b.pid > 0) kill(-b.pid, SIGKILL);
    kapat(b);
}

}  // namespace surec
