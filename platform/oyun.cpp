// Game launch and supervision: path rules, the child's environment, fork/execve, the early
// failure rule and the closing picture. Owns the supervision state below; main thread only.
#include "platform/oyun.h"

#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "platform/gizli.h"
#include "platform/surec.h"
#include "platform/tanimlayici.h"
#include "app/pencere.h"
#include "ui/doku.h"
#include "ui/girdi.h"
#include "ui/metin_alani.h"

extern char** environ;

namespace oyun {

int oyun_pid = 0;             // set by baslat, cleared by denetle
long cikis_kodu = 0;          // set by denetle
double baslatma_zamani = 0;   // set by the caller of baslat

namespace {

double kapanis_zamani = 0;  // when the closing picture appeared

void ters_bolu_duzelt(std::string& yol) {
    for (char& c : yol)
        if (c == '\\') c = '/';
}

bool ayar_var_mi(const std::string& anahtar) {
    for (const auto* liste : {&ayarlar.kisisel, &ayarlar.varsayilan})
        for (const ayar& a : *liste)
            if (a.anahtar == anahtar) return true;
    return false;
}

// The game's hold on the installation, taken for it before it starts. -1 when the file cannot
// be made here (a read-only folder: the game then runs without one) or a game holds it.
int kilidi_al() {
    const int fd = ::open(OYUN_KILIDI, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
    ::close(fd);
    return -1;
}

void pencereyi_geri_ver() {
    glfwShowWindow(pencere);
    glfwFocusWindow(pencere);
}

void kapanisa_gec() {
    oyun_durumu = 2;
    kapanis_zamani = steady_saniye();
    if (!deri.kapanis.tex) deri.kapanis = doku_yukle("kapanis.jpg");
    tuval_genislik = 1280;
    tuval_yukseklik = 640;
    pencereyi_boyutla(1280, 640);
    pencereyi_geri_ver();
    girdi.basildi = false;
    girdi.birakildi = false;
}

}  // namespace

std::string program_yolu() {
    std::string yol = ayar_var_mi("oyun_linux") ? ayar_degeri("oyun_linux") : ayar_degeri("oyun");
    ters_bolu_duzelt(yol);
    return yol;
}

std::vector<std::string> ortam_kur(char** ortam, const std::string& bilet, const std::string& sunucu) {
    std::vector<std::string> sonuc;
    for (char** p = ortam; p && *p; ++p) {
        const std::string satir = *p;
        if (satir.rfind("MORVATAN_BILET=", 0) == 0 || satir.rfind("MORVATAN_SUNUCU=", 0) == 0) continue;
        sonuc.push_back(satir);
    }
    sonuc.push_back("MORVATAN_BILET=" + bilet);
    sonuc.push_back("MORVATAN_SUNUCU=" + sunucu);
    return sonuc;
}

bool bilet_gecerli_mi(const std::string& bilet) {
    if (bilet.empty()) return false;
    for (unsigned char c : bilet)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

bool kurulu_mu() {
    const std::string yol = program_yolu();
    return !yol.empty() && access(yol.c_str(), X_OK) == 0;
}

bool baslat(const std::string& bilet, metinler::ileti& hata) {
    surec::cocuk c;
    c.yol = program_yolu();
    c.klasor = ayar_degeri("oyun_klasoru");
    ters_bolu_duzelt(c.klasor);
    if (c.yol.empty()) {
        hata = {metinler::tur::OYUN_SATIRI_BOS};
        return false;
    }
    if (access(c.yol.c_str(), X_OK) != 0) {
        hata = {metinler::tur::OYUN_EKSIK};
        return false;
    }
    char tam[PATH_MAX];
    if (realpath(c.yol.c_str(), tam)) c.yol = tam;
    if (acik_mi()) {
        hata = {metinler::tur::OYUN_ACIK};
        return false;
    }
    std::vector<std::string> ortam = ortam_kur(environ, bilet, ayar_degeri("sunucu"));
    c.ortam = &ortam;
    // The game holds its lock as descriptor 3 and nothing else: not the X connection, sockets,
    // pipes or the launcher's own lock.
    c.ucuncu = kilidi_al();
    pid_t pid = -1;
    std::string neden;
    const bool basladi = surec::baslat(c, pid, neden);
    if (c.ucuncu >= 0) ::close(c.ucuncu);  // the lock lives on in the game alone
    for (std::string& s : ortam) gizli::sil(s);  // the ticket is the child's alone now
    if (!basladi) {
        hata = {metinler::tur::OYUN_BASLATILAMADI};
        return false;
    }
    oyun_pid = pid;
    return true;
}

bool acik_mi() {
    const tanimlayici fd(::open(OYUN_KILIDI, O_RDONLY | O_CLOEXEC));
    if (!fd.acik()) return false;
    return flock(fd.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;  // closing releases a lock taken
}

bool erken_hata_mi(long kod, double gecen) { return kod != 0 && gecen < ERKEN_SINIR; }

bool denetle() {
    if (oyun_pid != 0) {
        int durum = 0;
        const pid_t r = waitpid(oyun_pid, &durum, WNOHANG);
        if (r == 0) return true;
        cikis_kodu = r < 0 ? 0 : WIFSIGNALED(durum) ? 128 + WTERMSIG(durum) : WEXITSTATUS(durum);
        oyun_pid = 0;
    }
    if (erken_hata_mi(cikis_kodu, steady_saniye() - baslatma_zamani)) {
        oyun_durumu = 0;
        paneli_ac(0, nullptr);
        hata_goster(metinler::yaz({metinler::tur::OYUN_ERKEN_KAPANDI, "", cikis_kodu}));
        pencereyi_geri_ver();
        return true;
    }
    kapanisa_gec();
    return false;
}

void kapanis_ciz() {
    if (deri.kapanis.tex) doku_ciz(deri.kapanis, 0, 0, 1280, 640, 1.0f);
    if (deri.logo.tex) doku_ciz(deri.logo, 850, 401, 360, 189, 1.0f);
    if (girdi.birakildi || steady_saniye() - kapanis_zamani > KAPANIS_SURESI) glfwSetWindowShouldClose(pencere, 1);
}

}  // namespace oyun
