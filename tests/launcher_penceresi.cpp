// The window-test launcher: start, pixels, OCR, clicks, keys and closing.
#include "tests/launcher_penceresi.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace launcher_penceresi {

using yardimci::bekle_ki;
using yardimci::komut;

calisan_launcher::calisan_launcher(const std::string& ayarlar,
                                   const std::function<void(const std::string& dizin)>& hazirla) {
    yardimci::calisma_dizini_kur(dizin.yol, true);
    yardimci::dosya_yaz(dizin.yol + "/launcher.ini", ayarlar);
    if (hazirla) hazirla(dizin.yol);
    pid = yardimci::baslat(dizin.yol + "/MorvatanLauncher", dizin.yol + "/stderr.txt");
    id = yardimci::pencere_bul(pid, 20);
    konum_oku();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

calisan_launcher::calisan_launcher(pid_t var_olan) : pid(var_olan) {
    id = yardimci::pencere_bul(pid, 20);
    if (!id.empty()) konum_oku();
}

calisan_launcher::~calisan_launcher() {
    if (pid > 0) yardimci::bekle(pid, 0.1);
}

void calisan_launcher::konum_oku() {
    std::istringstream s(komut("xdotool getwindowgeometry --shell " + id));
    for (std::string satir; std::getline(s, satir);) {
        if (satir.rfind("X=", 0) == 0) x = std::stoi(satir.substr(2));
        if (satir.rfind("Y=", 0) == 0) y = std::stoi(satir.substr(2));
    }
}

rgb calisan_launcher::piksel(int px, int py) const {
    std::istringstream s(komut(std::string(MORVATAN_PIKSEL_OKU) + " " + id + " " + std::to_string(px) + " " +
                               std::to_string(py)));
    rgb c{-1, -1, -1};
    s >> c[0] >> c[1] >> c[2];
    return c;
}

void calisan_launcher::tikla(int px, int py) const {
    komut("xdotool mousemove " + std::to_string(x + px) + " " + std::to_string(y + py) +
          " sleep 0.15 mousedown 1 sleep 0.15 mouseup 1 sleep 0.15");
}

std::string calisan_launcher::hata_metni() const {
    // What a failed window lookup needs to explain itself: the launcher's own words, and
    // whether it is still running.
    const std::string durum = pid > 0 && yardimci::calisiyor_mu(pid) ? "launcher calisiyor" : "launcher bitmis";
    return "[" + durum + "] " + yardimci::dosya_oku(dizin.yol + "/stderr.txt");
}

std::string calisan_launcher::ekran_yazisi(int x0, int y0, int w, int h, bool tek_satir) const {
    const std::string resim = dizin.yol + "/ekran.png";
    komut("import -window " + id + " -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" +
          std::to_string(x0) + "+" + std::to_string(y0) + " -resize 400% -colorspace Gray -negate " + resim);
    return komut("tesseract " + resim + " - --psm " + (tek_satir ? "7" : "6") + " 2>/dev/null");
}

void calisan_launcher::tus(const std::string& ad) const { komut("xdotool key " + ad + " sleep 0.2"); }

void calisan_launcher::yaz(const std::string& metin) const {
    komut("xdotool type --delay 40 '" + metin + "'; sleep 0.1");
}

int calisan_launcher::kapat_iste() {
    komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
    return yardimci::bekle(pid, 10);
}

bool calisan_launcher::paneli_ac() const {
    const rgb gok = piksel(60, 60);
    tikla(424, 534);
    return kutu_acik(gok);
}

bool calisan_launcher::kutu_acik(const rgb& gok) const {
    return bekle_ki([&] { return parlaklik(piksel(60, 60)) < parlaklik(gok) * 0.8; }, 5);
}

bool calisan_launcher::kutu_kapali(const rgb& gok) const {
    return bekle_ki([&] { return parlaklik(piksel(60, 60)) >= parlaklik(gok) - 6; }, 5);
}

std::string calisan_launcher::bolge(int x0, int y0, int w, int h) const {
    return komut(std::string(MORVATAN_PIKSEL_OKU) + " " + id + " -r " + std::to_string(x0) + " " + std::to_string(y0) +
                 " " + std::to_string(w) + " " + std::to_string(h));
}

bool calisan_launcher::renk_var(int x0, int y0, int w, int h, rgb renk, int tolerans) const {
    std::istringstream s(bolge(x0, y0, w, h));
    rgb c;
    while (s >> c[0] >> c[1] >> c[2])
        if (std::abs(c[0] - renk[0]) <= tolerans && std::abs(c[1] - renk[1]) <= tolerans &&
            std::abs(c[2] - renk[2]) <= tolerans)
            return true;
    return false;
}

bool calisan_launcher::gorunur_mu() const {
    return komut("xwininfo -id " + id).find("IsViewable") != std::string::npos;
}

}  // namespace launcher_penceresi
