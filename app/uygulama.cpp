// The application shell: start-up order, the frame loop with its pacing, scale check, window
// drag and cursor choice, and shutdown. Owns the window and shell globals of app/pencere.h.
#include "app/uygulama.h"

#include <GLFW/glfw3.h>
#include <stb_image.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/tekil.h"
#include "platform/kisayol.h"
#include "platform/oyun.h"
#include "screens/ana_ekran.h"
#include "screens/paneller.h"
#include "server/baglanti.h"
#include "ui/cizim.h"
#include "ui/doku.h"
#include "ui/girdi.h"
#include "ui/klavye.h"
#include "ui/piksel.h"
#include "ui/metin_alani.h"
#include "ui/sunum.h"
#include "ui/yazi.h"
#include "updater/durum.h"
#include "updater/isci.h"
#include "updater/yeniden.h"
#include "web/giris_akisi.h"
#include "web/haber.h"
#include "web/webgiris.h"

// ---- shell state (main thread) ----
GLFWwindow* pencere = nullptr;
int tuval_genislik = 800;
int tuval_yukseklik = 610;
int oyun_durumu = 0;
int acik_panel = 0;
bool beni_hatirla = true;
std::string calistirilan_yol;
hiz_olcumu indirme_hizi;

double steady_saniye() {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return double(ns.count()) / 1e9;
}

void paneli_ac(int panel, metin_alani* alan) {
    acik_panel = panel;
    odakla(alan);
}

namespace uygulama {
namespace {

const double KARE_BEKLEME = 1.0 / 60.0;   // longest sleep per pass while something follows the pointer
const double OYUN_BEKLEME = 0.5;          // longest sleep per pass while the game runs
const double BAGLANTI_BEKLEME = 0.05;     // the server link is serviced this often while it works
const double BOSTA_BEKLEME = 1.0;         // longest sleep when nothing on screen changes by itself
const int BAGLANTI_DENEMESI = 50;         // tries to reach the display, 100 ms apart (5 s in all)

GLFWcursor* el_imleci = nullptr;    // hand, over clickable widgets
GLFWcursor* yazi_imleci = nullptr;  // I-beam, over text fields

// Window drag, started by a press that no widget took.
struct surukleme_durumu {
    bool suruyor = false;
    int pencere_x = 0, pencere_y = 0;      // window position at the press
    double imlec_x = 0, imlec_y = 0;       // pointer on the screen at the press
};
surukleme_durumu surukleme;
double imlec_x = 0, imlec_y = 0;           // cursor in window coordinates, read each pass

// What is on screen, and whether an input event came since the last pass: a pass records its
// frame every time but draws and swaps only when the picture can have changed.
cizim::gosterim gosterim;
bool olay_geldi = false;

// ---- start-up ----

void calisma_dizinine_gec() {
    char tampon[4096];
    ssize_t n = readlink("/proc/self/exe", tampon, sizeof tampon - 1);
    if (n <= 0) return;
    calistirilan_yol.assign(tampon, size_t(n));
    size_t bolu = calistirilan_yol.rfind('/');
    if (bolu == std::string::npos) return;
    std::string dizin = calistirilan_yol.substr(0, bolu);
    if (chdir(dizin.empty() ? "/" : dizin.c_str()) != 0) {
        // Silent: the launcher then looks for its files in the inherited directory.
    }
}

// The user-name field follows the sign-in road, and a remembered name is filled in.
void alanlari_hazirla() {
    giris_hazirla();
    arayuz::eylemler.ayar_kaydet = ayar_kaydet;
    hesap_alanini_hazirla(hesap_api_var());
    beni_hatirla = ayar_degeri("hatirla") == "1";
    if (beni_hatirla) kullanici_alani.metin = ayar_degeri("kullanici");
}

void ikon_koy() {
    int w = 0, h = 0, kanal = 0;
    unsigned char* pikseller = stbi_load("veri/ikon.png", &w, &h, &kanal, 4);
    if (!pikseller) return;
    GLFWimage ikon{w, h, pikseller};
    glfwSetWindowIcon(pencere, 1, &ikon);
    stbi_image_free(pikseller);
}

void fare_geri_cagrisi(GLFWwindow*, int dugme, int eylem, int) {
    olay_geldi = true;
    fare_dugmesi(dugme, eylem);
}
void karakter_geri_cagrisi(GLFWwindow*, unsigned int c) {
    olay_geldi = true;
    arayuz::karakter(c);
}
void tus_geri_cagrisi(GLFWwindow*, int tus, int tarama, int eylem, int degistirici) {
    olay_geldi = true;
    arayuz::tus(tus, tarama, eylem, degistirici);
}
void imlec_geri_cagrisi(GLFWwindow*, double, double) { olay_geldi = true; }
void giris_cikis_geri_cagrisi(GLFWwindow*, int) { olay_geldi = true; }
void odak_geri_cagrisi(GLFWwindow*, int) { olay_geldi = true; }
// The window system lost the window's pixels (exposed, restored, resized): draw again.
void yenile_geri_cagrisi(GLFWwindow*) { gosterim.zorla = true; }

// A display that has just lost another client (the old launcher closing during a self-restart,
// say) or a display busy with other clients can refuse a connection for a moment; short
// retries for a few seconds ride that out instead of leaving the player with no launcher.
bool pencere_sistemini_baslat() {
    for (int deneme = 0; deneme < BAGLANTI_DENEMESI; ++deneme) {
        if (glfwInit()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool pencere_ac() {
    if (!pencere_sistemini_baslat()) {
        hata_yaz("Pencere sistemi baslatilamadi.");
        return false;
    }
    glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    // Made at the desktop's scale from the start, so a HiDPI desktop never shows it small.
    const float s = masaustu_olcegi(800, 610);
    pencere = glfwCreateWindow(piksel::olcekli(800, s), piksel::olcekli(610, s), "Morvatan Online", nullptr,
                               nullptr);
    if (!pencere) {
        hata_yaz("Pencere acilamadi (OpenGL).");
        glfwTerminate();
        return false;
    }
    ikon_koy();
    glfwMakeContextCurrent(pencere);
    glfwSwapInterval(1);
    glfwSetCharCallback(pencere, karakter_geri_cagrisi);
    glfwSetKeyCallback(pencere, tus_geri_cagrisi);
    glfwSetMouseButtonCallback(pencere, fare_geri_cagrisi);
    glfwSetCursorPosCallback(pencere, imlec_geri_cagrisi);
    glfwSetCursorEnterCallback(pencere, giris_cikis_geri_cagrisi);
    glfwSetWindowFocusCallback(pencere, odak_geri_cagrisi);
    glfwSetWindowRefreshCallback(pencere, yenile_geri_cagrisi);
    pencereyi_boyutla(800, 610);
    el_imleci = glfwCreateStandardCursor(GLFW_HAND_CURSOR);
    yazi_imleci = glfwCreateStandardCursor(GLFW_IBEAM_CURSOR);
    return true;
}

// ---- frame ----

void kareyi_hazirla() {
    int ww = 0, wh = 0, fw = 0, fh = 0;
    glfwGetCursorPos(pencere, &imlec_x, &imlec_y);
    glfwGetWindowSize(pencere, &ww, &wh);
    glfwGetFramebufferSize(pencere, &fw, &fh);
    girdi.fare_x = float(imlec_x * tuval_genislik / (ww > 1 ? ww : 1));
    girdi.fare_y = float(imlec_y * tuval_yukseklik / (wh > 1 ? wh : 1));

    yazi::olcegi_guncelle(float(fw) / float(tuval_genislik));  // text follows the pixel density

    tuvali_kur(fw, fh);
    girdi.yazi_imleci = false;
    girdi.el_imleci = false;
}

void pencereyi_surukle() {
    int wx = 0, wy = 0;
    if (girdi.basildi && girdi.etkin_kimlik == nullptr) {
        glfwGetWindowPos(pencere, &wx, &wy);
        surukleme.pencere_x = wx;
        surukleme.pencere_y = wy;
        surukleme.imlec_x = wx + imlec_x;
        surukleme.imlec_y = wy + imlec_y;
    } else if (!surukleme.suruyor) {
        return;
    }
    surukleme.suruyor = girdi.basili;
    if (!surukleme.suruyor) return;
    glfwGetWindowPos(pencere, &wx, &wy);
    int x = surukleme.pencere_x + int(wx + imlec_x - surukleme.imlec_x);
    int y = surukleme.pencere_y + int(wy + imlec_y - surukleme.imlec_y);
    glfwSetWindowPos(pencere, x, y);
}

void imleci_sec() {
    GLFWcursor* c = girdi.yazi_imleci ? yazi_imleci : girdi.el_imleci ? el_imleci : nullptr;
    glfwSetCursor(pencere, c);
}

// Later screens are drawn over earlier ones; the message box last, on its own layer. The
// panel is read after the main screen, which may have opened it in this very pass.
void ekranlari_ciz() {
    girdi.katman = mesaj_kutusu.acik ? 2 : acik_panel != 0 ? 1 : 0;
    ekran::ana();
    if (acik_panel == 1) ekran::giris();
    else if (acik_panel == 2) ekran::ayarlar();
    if (mesaj_kutusu.acik) mesaj_ciz();
}

// Redraws and copies to the window what the frame on screen needs of the recorded one; nothing
// when all that changed lies outside its clips.
void parcayi_goster(double simdi) {
    const cizim::alan a = cizim::cizilecek_alan(gosterim, cizim::kare, simdi);
    if (a.genislik <= 0 || a.yukseklik <= 0) return;
    cizim::oynat(cizim::kare, a);
    sunum::parca_goster(a);
}

// Draws and shows the recorded frame when it can look different from the one on screen: only
// the part that changed when the window can show a part. A frame of another size is swapped in
// whole (the renderer sizes its buffers again only at a swap), which leaves the back buffer
// undefined: the next frame is drawn whole.
void kareyi_goster() {
    const uint64_t imza = cizim::imza(cizim::kare);
    const double simdi = steady_saniye();
    const bool goster = cizim::gosterilsin_mi(gosterim, imza, olay_geldi, simdi);
    olay_geldi = false;
    if (!goster) return;
    const bool parca = sunum::parcali_mi() && cizim::ayni_boyut(gosterim.ekrandaki, cizim::kare);
    if (parca) {
        parcayi_goster(simdi);
    } else {
        cizim::oynat(cizim::kare);
        glfwSwapBuffers(pencere);
    }
    gosterim.imza = imza;
    gosterim.zaman = simdi;
    gosterim.zorla = !parca && sunum::parcali_mi();
    gosterim.ekrandaki = cizim::kare;
}

void kareyi_bitir() {
    pencereyi_surukle();
    imleci_sec();
    if (girdi.birakildi) girdi.etkin_kimlik = nullptr;
    girdi.basildi = false;
    girdi.birakildi = false;
    kareyi_goster();
}

// Another start of the launcher asked for this window; while the game runs it stays hidden.
void one_getir() {
    if (!tekil::one_istendi_mi() || oyun_durumu == 1) return;
    if (glfwGetWindowAttrib(pencere, GLFW_ICONIFIED)) glfwRestoreWindow(pencere);
    glfwShowWindow(pencere);
    glfwFocusWindow(pencere);
    gosterim.zorla = true;
}

// How long a pass may sleep for events. Input, an exposed window and a resize wake it at once;
// what changes the picture by itself (an update's progress, an answer on its way, the caret,
// the closing picture, the next status query) decides how soon it must look again anyway.
double bekleme_suresi() {
    if (oyun_durumu == 1) return OYUN_BEKLEME;
    if (oyun_durumu == 2 || surukleme.suruyor || girdi.basili) return KARE_BEKLEME;
    if (baglanti_modu != 0) return BAGLANTI_BEKLEME;
    const int32_t d = guncelleme::durum.load();
    const bool guncelleniyor = d == guncelleme::BASLAMADI || d == guncelleme::DENETLENIYOR ||
                               d == guncelleme::INDIRILIYOR || d == guncelleme::YENIDEN_BASLAT;
    if (guncelleniyor || webgiris::suruyor.load() || (acik_panel == 1 && odak)) return cizim::EN_KISA_ARA;
    double kalan = BOSTA_BEKLEME;
    if (sunucu_durumu != SUNUCU_ACIK) kalan = std::min(kalan, durum_sorgu_zamani + sunucu::SORGU_ARALIGI - steady_saniye());
    return std::max(kalan, 0.0) + 0.001;  // just past the moment, not just before it
}

void kare_isle() {
    glfwWaitEventsTimeout(bekleme_suresi());
    one_getir();
    sunucu::servis();
    if (webgiris::suruyor.load() && webgiris::hazir.load()) web_cevabi_devral();
    webhaber::devral();
    hiz_guncelle(indirme_hizi, guncelleme::durum.load(), guncelleme::inen_bayt.load(), steady_saniye());
    guncelleme::yeniden_baslat();
    ekran::bekleyen_guncellemeyi_baslat();
    // While the game runs nothing is drawn; a pass that gave the window back skips drawing too,
    // and the next one draws whatever it finds.
    if (oyun_durumu == 1) gosterim.zorla = true;
    if (oyun_durumu == 1 && oyun::denetle()) return;
    if (oyun_durumu == 0) sunucu::durum_yokla();
    // Without input nothing on screen changes faster than a tenth of a second, so such a pass
    // builds its frame only that often; a pass with input always does (its widgets act on it).
    if (!cizim::kaydedilsin_mi(gosterim, olay_geldi, steady_saniye())) return;
    gosterim.kayit_zamani = steady_saniye();
    kareyi_hazirla();
    if (oyun_durumu == 2) oyun::kapanis_ciz();
    else ekranlari_ciz();
    kareyi_bitir();
}

// Stops the update worker: a transfer in progress is abandoned, a file being hashed finishes.
void guncellemeyi_durdur() {
    kapaniyor.exchange(true);
    if (guncelleme::iplik.joinable()) guncelleme::iplik.join();
}

// A request still in flight is dropped; its transfer has already been ended by kapaniyor.
void web_girisini_durdur() {
    webgiris::vazgec = true;
    if (webgiris::iplik.joinable()) webgiris::iplik.join();
}

void kapat() {
    guncellemeyi_durdur();
    web_girisini_durdur();
    sunucu::kapat();
    glfwTerminate();
}

}  // namespace

int calistir() {
    calisma_dizinine_gec();
    if (tekil::al() == tekil::sonuc::BASKASI_CALISIYOR) {
        hata_yaz("Launcher zaten calisiyor; acik olan pencere one getirildi.");
        return 0;
    }
    ayarlari_oku();
    // The worker may be downloading before the first frame; its first second is measured
    // from here.
    hiz_guncelle(indirme_hizi, guncelleme::BASLAMADI, 0, steady_saniye());
    ekran::guncellemeyi_baslat();
    webhaber::baslat();
    alanlari_hazirla();
    kisayol_yaz();
    if (!yazi::yukle()) {
        hata_yaz("veri\\font klasoru eksik. Launcher'i veri klasoruyle birlikte calistir.");
        guncellemeyi_durdur();
        return 1;
    }
    if (!pencere_ac()) {
        guncellemeyi_durdur();
        return 1;
    }
    deri_yukle();
    glfwShowWindow(pencere);
    tekil::hazir_yaz();  // a launcher that restarted into this one may now end
    surukleme = surukleme_durumu{};
    while (!glfwWindowShouldClose(pencere)) kare_isle();
    kapat();
    return 0;
}

}  // namespace uygulama
