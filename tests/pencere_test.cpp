// The real launcher executable in a temporary run-time directory: start-up failure without
// fonts, the window it opens under an X server, dragging it, and closing it as a desktop does.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <regex>
#include <thread>

#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace {

using yardimci::komut;

struct konum {
    int x = -1, y = -1, w = -1, h = -1;
};

// `id` is an X window id, or "-root" for the whole screen.
konum pencere_konumu(const std::string& id) {
    std::string s = komut("xwininfo " + (id == "-root" ? id : "-id " + id));
    konum k;
    std::smatch m;
    if (std::regex_search(s, m, std::regex("Absolute upper-left X:\\s+(-?\\d+)"))) k.x = std::stoi(m[1]);
    if (std::regex_search(s, m, std::regex("Absolute upper-left Y:\\s+(-?\\d+)"))) k.y = std::stoi(m[1]);
    if (std::regex_search(s, m, std::regex("Width:\\s+(\\d+)"))) k.w = std::stoi(m[1]);
    if (std::regex_search(s, m, std::regex("Height:\\s+(\\d+)"))) k.h = std::stoi(m[1]);
    return k;
}

TEST(Pencere, WithoutFontsPrintsTheLineAndExitsOneWithoutWindow) {
    yardimci::gecici_dizin dizin;
    yardimci::calisma_dizini_kur(dizin.yol, false);
    const std::string hata = dizin.yol + "/stderr.txt";
    // Started from another directory: the launcher must look beside its executable.
    pid_t pid = yardimci::baslat(dizin.yol + "/MorvatanLauncher", hata);
    EXPECT_EQ(yardimci::bekle(pid, 20), 1);
    EXPECT_EQ(yardimci::dosya_oku(hata),
              "veri\\font klasoru eksik. Launcher'i veri klasoruyle birlikte calistir.\n");
    // A font that cannot be read (here a folder by its name) is a missing font, not a crash.
    yardimci::gecici_dizin bozuk;
    yardimci::calisma_dizini_kur(bozuk.yol, true);
    std::filesystem::remove(bozuk.yol + "/veri/font/Cinzel-Bold.ttf");
    std::filesystem::create_directories(bozuk.yol + "/veri/font/Cinzel-Bold.ttf/x");
    pid = yardimci::baslat(bozuk.yol + "/MorvatanLauncher", hata);
    EXPECT_EQ(yardimci::bekle(pid, 20), 1);
    EXPECT_EQ(yardimci::dosya_oku(hata),
              "veri\\font klasoru eksik. Launcher'i veri klasoruyle birlikte calistir.\n");
}

// Whether one of the process's descriptors is a UDP socket (the ENet link's).
bool udp_soketi_var(pid_t pid) {
    const std::string surec = "/proc/" + std::to_string(pid);
    const std::string udp = yardimci::dosya_oku(surec + "/net/udp");
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(surec + "/fd", ec)) {
        const std::string hedef = std::filesystem::read_symlink(e.path(), ec).string();
        if (hedef.rfind("socket:[", 0) != 0) continue;
        const std::string dugum = " " + hedef.substr(8, hedef.size() - 9) + " ";
        if (udp.find(dugum) != std::string::npos) return true;
    }
    return false;
}

// Every descriptor above the standard streams, as /proc shows it, is close-on-exec: nothing
// of the launcher's (the server link's socket, the display's) reaches curl, the browser, the
// game or a restarted launcher.
std::string miras_kalanlar(pid_t pid) {
    std::string kalanlar;
    const std::string dizin = "/proc/" + std::to_string(pid) + "/fdinfo";
    for (const auto& e : std::filesystem::directory_iterator(dizin)) {
        if (std::atoi(e.path().filename().c_str()) <= 2) continue;
        const std::string bilgi = yardimci::dosya_oku(e.path().string());
        const size_t p = bilgi.find("flags:");
        if (p == std::string::npos) continue;  // closed meanwhile
        const long bayraklar = std::strtol(bilgi.c_str() + p + 6, nullptr, 8);
        if (!(bayraklar & O_CLOEXEC)) {
            std::error_code ec;
            kalanlar += e.path().filename().string() + " -> " +
                        std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + e.path().filename().string(), ec)
                            .string() + "\n";
        }
    }
    return kalanlar;
}

// Started with a launcher.ini it cannot read (a folder by that name): the window opens with
// the defaults, standard error says why, and the player's path is left as it was.
TEST(Pencere, OpensCentredUndecoratedAndClosesLikeADesktopAsks) {
    launcher_penceresi::calisan_launcher l("", [](const std::string& dizin) {
        std::filesystem::remove(dizin + "/launcher.ini");
        std::filesystem::create_directories(dizin + "/launcher.ini/x");
    });
    const std::string& id = l.id;
    const pid_t pid = l.pid;
    const std::string hata = l.dizin.yol + "/stderr.txt";
    ASSERT_FALSE(id.empty()) << l.hata_metni();
    EXPECT_NE(yardimci::dosya_oku(hata).find("launcher.ini okunamadi"), std::string::npos);
    // Once the status query has made the server link's UDP socket, every descriptor is looked at.
    EXPECT_TRUE(yardimci::bekle_ki([&] { return udp_soketi_var(pid); }, 5));
    EXPECT_EQ(miras_kalanlar(pid), "");

    konum k = pencere_konumu(id), ekran = pencere_konumu("-root");
    EXPECT_EQ(k.w, 800);
    EXPECT_EQ(k.h, 610);
    EXPECT_EQ(k.x, (ekran.w - 800) / 2);
    EXPECT_EQ(k.y, (ekran.h - 610) / 2);
    EXPECT_NE(komut("xprop -id " + id + " WM_NAME").find("\"Morvatan Online\""), std::string::npos);
    // Motif hints: flags 0x2 (decorations given), decorations 0.
    std::string motif = komut("xprop -id " + id + " _MOTIF_WM_HINTS");
    EXPECT_NE(motif.find("= 0x2, 0x0, 0x0"), std::string::npos) << motif;
    EXPECT_NE(komut("xprop -len 64 -id " + id + " _NET_WM_ICON").find("_NET_WM_ICON(CARDINAL)"),
              std::string::npos);

    EXPECT_EQ(l.kapat_iste(), 0);
    std::string stderr_metni = yardimci::dosya_oku(hata);
    EXPECT_EQ(stderr_metni.find("gorsel yuklenemedi"), std::string::npos) << stderr_metni;
    EXPECT_TRUE(std::filesystem::is_directory(l.dizin.yol + "/launcher.ini/x"));
}

// An X server that resets when its last client leaves refuses connections for a moment:
// Xvfb between two launchers, a desktop whose display restarts. A launcher started while
// no display answers waits for one instead of ending without a window.
TEST(Pencere, ALauncherStartedBeforeItsDisplayAnswersWaitsForIt) {
    int no = 150;
    while (no < 400 && (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(no)) ||
                        std::filesystem::exists("/tmp/.X" + std::to_string(no) + "-lock")))
        ++no;
    const std::string ekran = ":" + std::to_string(no);
    struct ekrani_geri_koy {
        std::string onceki = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
        ~ekrani_geri_koy() { setenv("DISPLAY", onceki.c_str(), 1); }
    } geri;
    setenv("DISPLAY", ekran.c_str(), 1);

    yardimci::gecici_dizin dizin;
    yardimci::calisma_dizini_kur(dizin.yol, true);
    const std::string hata = dizin.yol + "/stderr.txt";
    const pid_t pid = yardimci::baslat(dizin.yol + "/MorvatanLauncher", hata);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(yardimci::calisiyor_mu(pid)) << yardimci::dosya_oku(hata);

    const pid_t x = fork();
    if (x == 0) {
        const int bos = open("/dev/null", O_WRONLY);
        dup2(bos, STDOUT_FILENO);
        dup2(bos, STDERR_FILENO);
        execlp("Xvfb", "Xvfb", ekran.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    struct sunucuyu_durdur {
        pid_t launcher, x;
        ~sunucuyu_durdur() {
            if (yardimci::calisiyor_mu(launcher)) yardimci::bekle(launcher, 0.1);
            yardimci::durdur(x);
        }
    } durdurucu{pid, x};
    const std::string id = yardimci::pencere_bul(pid, 10);
    ASSERT_FALSE(id.empty()) << yardimci::dosya_oku(hata);
    komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
    EXPECT_EQ(yardimci::bekle(pid, 10), 0);
    EXPECT_EQ(yardimci::dosya_oku(hata), "");
}

TEST(Pencere, PressOnAnEmptySpotDragsTheWindowBySameDistance) {
    launcher_penceresi::calisan_launcher l("");
    const std::string& id = l.id;
    ASSERT_FALSE(id.empty()) << l.hata_metni();
    konum once = pencere_konumu(id);
    const int bx = once.x + 120, by = once.y + 200;  // the sky above the logo: no widget there
    komut("xdotool mousemove " + std::to_string(bx) + " " + std::to_string(by) + " mousedown 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // let a frame see the press
    for (int adim = 1; adim <= 10; ++adim) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        komut("xdotool mousemove " + std::to_string(bx + 9 * adim) + " " + std::to_string(by + 5 * adim));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    komut("xdotool mouseup 1");
    konum sonra = once;  // the window follows once the launcher has had the events
    EXPECT_TRUE(yardimci::bekle_ki([&] {
        sonra = pencere_konumu(id);
        return sonra.x - once.x == 90 && sonra.y - once.y == 50;
    }, 5)) << sonra.x - once.x << "," << sonra.y - once.y;
    EXPECT_EQ(l.kapat_iste(), 0);
}

}  // namespace
