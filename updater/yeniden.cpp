// Self-restart: a new launcher process from the executable path read at start-up, kept only
// once it has shown that it runs; otherwise the old program goes back in place and goes on.
#include "updater/yeniden.h"

#include <GLFW/glfw3.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/atomik.h"
#include "platform/dosya.h"
#include "platform/surec.h"
#include "platform/tekil.h"
#include "updater/durum.h"

namespace guncelleme {
namespace {

const double HAZIR_SURESI = 10.0;     // seconds a new launcher has to open its window
const double YENIDEN_ARALIGI = 30.0;  // a restarted launcher restarts again no sooner
const auto YOKLAMA = std::chrono::milliseconds(50);
const size_t EN_BUYUK_PROGRAM = size_t(1) << 30;

const double acilis = steady_saniye();  // this process's start, near enough

enum class devir_sonucu { TAMAM, BITTI, ZAMAN_ASIMI };

// Waits for the new launcher to mark its window up, to end, or for the time to run out. One
// that still holds the lock then is kept (a launcher from before the mark existed never
// writes it); one that never took the lock is ended.
devir_sonucu devri_bekle(pid_t cocuk, int& cikis) {
    const double son = steady_saniye() + HAZIR_SURESI;
    while (steady_saniye() <= son) {
        int d = 0;
        if (waitpid(cocuk, &d, WNOHANG) == cocuk) {
            cikis = WIFEXITED(d) ? WEXITSTATUS(d) : 128 + WTERMSIG(d);
            return devir_sonucu::BITTI;
        }
        if (tekil::devir_durumu(cocuk) == tekil::devir::HAZIR) return devir_sonucu::TAMAM;
        std::this_thread::sleep_for(YOKLAMA);
    }
    if (tekil::devir_durumu(cocuk) != tekil::devir::YOK) return devir_sonucu::TAMAM;
    ::kill(cocuk, SIGKILL);
    waitpid(cocuk, nullptr, 0);
    return devir_sonucu::ZAMAN_ASIMI;
}

// The kernel keeps the replaced program for as long as it runs: it goes back in place.
bool eskiyi_geri_koy() {
    std::string icerik;
    return dosya_oku("/proc/self/exe", icerik, EN_BUYUK_PROGRAM) == okuma::TAMAM &&
           atomik_yaz(calistirilan_yol, icerik, 0777);
}

void basarisiz(const metinler::ileti& hata) {
    hata_ver(hata);
    hata_goster(metinler::yaz(hata));
}

// The new launcher did not run: the old one takes its place, its lock and its window again.
// `neden` says how it failed; whether the old one is back is added here.
void geri_don(metinler::ileti neden) {
    neden.m = eskiyi_geri_koy();
    tekil::al();
    glfwShowWindow(pencere);
    basarisiz(neden);
}

}  // namespace

void yeniden_baslat() {
    if (durum.load() != YENIDEN_BASLAT || oyun_durumu != 0 || acik_panel == 1) return;
    // A host that keeps handing out another launcher would restart it without end.
    if (tekil::devralindi() && steady_saniye() - acilis <= YENIDEN_ARALIGI) {
        basarisiz({metinler::tur::ART_ARDA_GUNCELLENDI});
        return;
    }
    // After the rename, "/proc/self/exe" reads "<old path> (deleted)"; the path read at
    // start-up names the new file.
    surec::cocuk c;
    c.yol = calistirilan_yol;
    pid_t pid = -1;
    std::string neden;
    if (c.yol.empty() || !surec::baslat(c, pid, neden)) {
        basarisiz({metinler::tur::YENIDEN_BASLATILAMADI});
        return;
    }
    glfwHideWindow(pencere);
    tekil::birak();
    int cikis = 0;
    switch (devri_bekle(pid, cikis)) {
        case devir_sonucu::TAMAM: glfwSetWindowShouldClose(pencere, GLFW_TRUE); return;
        case devir_sonucu::BITTI: geri_don({metinler::tur::YENI_LAUNCHER_KAPANDI, "", cikis}); return;
        case devir_sonucu::ZAMAN_ASIMI: geri_don({metinler::tur::YENI_LAUNCHER_PENCERESIZ}); return;
    }
}

}  // namespace guncelleme
