// demo_oyun: a stand-in for the game, shipped in the demo installation as its `oyun`. It shows
// the ticket and the server address the launcher handed it and closes on a key or a click.
//
// A ticket may end in ";cikis=N;sure=S": the program then exits with status N after S
// seconds (window or not), so every path of the launcher's supervision can be tried by hand
// and by tests. Without a display it prints the two values and exits (with N after S when
// the ticket asks for it, else 0).
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/pencere.h"
#include "ui/cizim.h"
#include "ui/doku.h"
#include "ui/yazi.h"

namespace {

struct istek {
    int cikis = 0;       // exit status asked for
    double sure = -1;    // seconds before exiting by itself; negative: wait for the player
};

// Reads ";cikis=N" and ";sure=S" anywhere in the ticket.
istek bilet_coz(const std::string& bilet) {
    istek i;
    size_t p = bilet.find(";cikis=");
    if (p != std::string::npos) i.cikis = std::atoi(bilet.c_str() + p + 7);
    p = bilet.find(";sure=");
    if (p != std::string::npos) i.sure = std::atof(bilet.c_str() + p + 6);
    return i;
}

bool kapat_istendi = false;
void tus_geri(GLFWwindow*, int, int, int eylem, int) {
    if (eylem == GLFW_PRESS) kapat_istendi = true;
}
void fare_geri(GLFWwindow*, int, int eylem, int) {
    if (eylem == GLFW_RELEASE) kapat_istendi = true;
}

void satir(bool yazili, int font, float boyut, const std::string& metin, uint32_t renk, float y) {
    if (!yazili) return;
    const yazi::atlas* a = yazi::atlas_al(font, boyut);
    const float x = std::round(320 - yazi::genislik(*a, metin, 0) / 2);
    yazi::yaz(*a, metin, renk, yazi::GOLGE, x, y, 0);
}

void kare(bool yazili, const std::string& bilet, const std::string& sunucu, double kalan) {
    int fw = 0, fh = 0;
    glfwGetFramebufferSize(glfwGetCurrentContext(), &fw, &fh);
    yazi::olcegi_guncelle(float(fw) / 640.0f);
    tuvali_kur(fw, fh);
    dikdortgen_ciz(0x1B2A3A, 0, 0, 640, 360, 1.0f, 0.2f);
    satir(yazili, yazi::BASLIK, 26, "MORVATAN ONLINE", 0xE2C27A, 70);
    satir(yazili, yazi::GOVDE, 16, "Demo oyun", 0xD6CDB8, 100);
    satir(yazili, yazi::GOVDE, 15, "Bilet: " + bilet, 0xF3EFE6, 170);
    satir(yazili, yazi::GOVDE, 15, "Sunucu: " + sunucu, 0xF3EFE6, 200);
    const std::string alt = kalan >= 0 ? "Kendiliğinden kapanacak: " + std::to_string(int(std::ceil(kalan))) + " sn"
                                       : "Kapatmak için bir tuşa bas ya da tıkla.";
    satir(yazili, yazi::GOVDE, 14, alt, 0xB8AE96, 300);
    cizim::oynat(cizim::kare);
    glfwSwapBuffers(glfwGetCurrentContext());
}

int pencereyle(const std::string& bilet, const std::string& sunucu, const istek& i) {
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    GLFWwindow* p = glfwCreateWindow(640, 360, "Morvatan Online - Demo", nullptr, nullptr);
    if (!p) return -1;
    glfwMakeContextCurrent(p);
    glfwSwapInterval(1);
    tuval_genislik = 640;  // the drawing helpers map this logical canvas onto the framebuffer
    tuval_yukseklik = 360;
    glfwSetKeyCallback(p, tus_geri);
    glfwSetMouseButtonCallback(p, fare_geri);
    const bool yazili = yazi::yukle();
    const auto bas = std::chrono::steady_clock::now();
    while (!glfwWindowShouldClose(p) && !kapat_istendi) {
        const double gecen = std::chrono::duration<double>(std::chrono::steady_clock::now() - bas).count();
        if (i.sure >= 0 && gecen > i.sure) return i.cikis;
        kare(yazili, bilet, sunucu, i.sure >= 0 ? i.sure - gecen : -1);
        glfwWaitEventsTimeout(0.1);
    }
    return i.cikis;
}

}  // namespace

int main() {
    const char* b = std::getenv("MORVATAN_BILET");
    const char* s = std::getenv("MORVATAN_SUNUCU");
    const std::string bilet = b ? b : "", sunucu = s ? s : "";
    const istek i = bilet_coz(bilet);
    std::printf("MORVATAN_BILET=%s\nMORVATAN_SUNUCU=%s\n", bilet.c_str(), sunucu.c_str());
    std::fflush(stdout);
    if (glfwInit()) {
        const int kod = pencereyle(bilet, sunucu, i);
        glfwTerminate();
        if (kod >= 0) return kod;
    }
    if (i.sure >= 0) std::this_thread::sleep_for(std::chrono::duration<double>(i.sure));
    return i.sure >= 0 ? i.cikis : 0;
}
