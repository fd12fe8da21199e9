// The login panel and the game's supervision with the real launcher under an X server, the
// reference account service and the demo game: typing with xdotool, the busy button, the code
// field, a game that fails early, is killed, or ends normally into the closing picture, and
// the launcher's memory holding no copy of the password once an attempt has ended.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace {

using launcher_penceresi::calisan_launcher;
using yardimci::bekle_ki;
using yardimci::komut;

const char* const HESAPLAR = R"([
 {"ad": "mert", "sifre": "Kx9-Vm2-Zq7w", "totp": "JBSWY3DPEHPK3PXP"},
 {"ad": "bekleyen", "sifre": "Tr4-Pq8-Lm3d", "cevap": "bekle:4"},
 {"ad": "ucle", "sifre": "parola", "bilet_eki": ";cikis=3;sure=2"},
 {"ad": "sifirla", "sifre": "parola", "bilet_eki": ";cikis=0;sure=1"},
 {"ad": "uzun", "sifre": "parola", "bilet_eki": ";sure=60"},
 {"ad": "sessiz", "sifre": "parola", "cevap": "sessiz"}
])";

using yardimci::bellekte_say;

// The launcher with the reference service and the demo game as its game.
struct oyunlu_launcher {
    yardimci::hesap_servisi servis{HESAPLAR};
    calisan_launcher l;
    explicit oyunlu_launcher(const std::string& ek = "")
        : l("hesap_api=" + servis.adres() + "\noyun=demo_oyun\n" + ek) {}
    // Opens the panel with START and logs in with the keyboard. Without a window manager the
    // keyboard goes to the window under the pointer, which the click leaves there. Callers
    // wrap it in ASSERT_NO_FATAL_FAILURE: without a window the test ends with the launcher's words.
    void giris(const std::string& ad, const std::string& sifre) {
        ASSERT_FALSE(l.id.empty()) << l.hata_metni();
        ASSERT_TRUE(l.paneli_ac());
        l.yaz(ad);
        l.tus("Tab");
        l.yaz(sifre);
        l.tus("Return");
    }
    std::string kutu_metni() const { return l.ekran_yazisi(170, 160, 460, 290, false); }
    pid_t oyun_pid() const {
        const std::string p = komut("pgrep -P " + std::to_string(l.pid) + " -f demo_oyun");
        return pid_t(std::atoi(p.c_str()));
    }
};

// OCR reads the code's zeros as O now and then; the box text is compared with them as zeros.
std::string sifirli(std::string s) {
    std::replace(s.begin(), s.end(), 'O', '0');
    std::replace(s.begin(), s.end(), 'o', '0');
    return s;
}

TEST(GirisPenceresi, BusyButtonThenRefusalLeavesNoPasswordInMemory) {
    oyunlu_launcher o;
    ASSERT_NO_FATAL_FAILURE(o.giris("bekleyen", "Yanlis-Parola-Q7z"));
    // The service holds its answer for four seconds: long enough to see the busy button even
    // on a loaded machine.
    EXPECT_TRUE(bekle_ki([&] { return o.l.ekran_yazisi(408, 355, 120, 40).find("BEKLE") != std::string::npos; }, 3))
        << o.l.ekran_yazisi(408, 355, 120, 40);
    if (yardimci::BELLEK_TARANIR) {
        EXPECT_GT(bellekte_say(o.l.pid, "Yanlis-Parola-Q7z"), 0);  // held while the attempt runs: the scan sees it
    }
    ASSERT_TRUE(bekle_ki([&] { return o.kutu_metni().find("hatal") != std::string::npos; }, 10)) << o.kutu_metni();
    if (yardimci::BELLEK_TARANIR) {
        EXPECT_EQ(bellekte_say(o.l.pid, "Yanlis-Parola-Q7z"), 0);
    }
    EXPECT_EQ(o.l.kapat_iste(), 0);
}

// Enter opens the panel during an update check (a server that stalls on the manifest), and the
// player may type, but no sign-in starts a game while files may still be replaced.
TEST(GirisPenceresi, EnterDuringAnUpdateCheckStartsNoGame) {
    yardimci::gecici_dizin site;
    yardimci::test_sunucusu sunucu(site.yol);
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\n" + std::string(4000, '#') + "\n");
    sunucu.hata("takil", "dosyalar-linux.txt");
    oyunlu_launcher o("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(o.l.id.empty()) << o.l.hata_metni();
    o.l.tikla(600, 100);  // the pointer over the window: the keyboard goes there
    o.l.tus("Return");
    o.l.yaz("mert");
    o.l.tus("Tab");
    o.l.yaz("Kx9-Vm2-Zq7w");
    o.l.tus("Return");
    ASSERT_TRUE(bekle_ki([&] { return o.l.ekran_yazisi(170, 395, 460, 25).find("bitince gir") != std::string::npos; }, 10))
        << o.l.ekran_yazisi(170, 395, 460, 25);
    std::this_thread::sleep_for(std::chrono::seconds(2));  // time for a wrongly started game to show
    komut("import -window " + o.l.id + " " + o.l.dizin.yol + "/../guncellerken_giris.png");
    EXPECT_EQ(o.oyun_pid(), 0);
    EXPECT_TRUE(o.l.gorunur_mu());
    EXPECT_EQ(yardimci::dosya_oku(o.servis.kayit), "");  // nothing was even sent
    EXPECT_EQ(o.l.kapat_iste(), 0);
}

// A program that owns the clipboard but never answers: Ctrl+V gives nothing after a second,
// and the window goes on taking keys instead of waiting for it for ever.
TEST(GirisPenceresi, APasteFromAClipboardOwnerThatNeverAnswersDoesNotFreezeTheWindow) {
    calisan_launcher l("kisayol=1\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    int port = 0;
    const pid_t sahip = yardimci::port_yazanla_baslat({MORVATAN_SESSIZ_PANO}, port);
    ASSERT_TRUE(l.paneli_ac());  // the caret in the empty name field
    l.tus("ctrl+v");
    l.yaz("pano");
    const bool yazildi = bekle_ki([&] { return l.ekran_yazisi(280, 228, 240, 36).find("pano") != std::string::npos; }, 10);
    yardimci::durdur(sahip);
    EXPECT_TRUE(yazildi) << l.ekran_yazisi(280, 228, 240, 36);
    EXPECT_EQ(l.kapat_iste(), 0);
}

// Shortcuts go by the letter the key types: on Turkish-F the key labelled V is where a US
// keyboard has ".", and GLFW names keys by their US places. Ctrl+A selects the name, Ctrl+C
// copies it, a typed letter replaces it, Ctrl+V pastes, Ctrl+X cuts, on every layout.
TEST(GirisPenceresi, CtrlACVXGoByTheLetterOnTheKeyOnTurkishFQAndUs) {
    for (const char* duzen : {"tr f", "tr", "us"}) {
        komut(std::string("setxkbmap ") + duzen);
        calisan_launcher l("kisayol=1\n");
        ASSERT_FALSE(l.id.empty()) << l.hata_metni();
        ASSERT_TRUE(l.paneli_ac());
        l.yaz("deniz");
        for (const char* t : {"ctrl+a", "ctrl+c"}) l.tus(t);
        l.yaz("ada");
        l.tus("ctrl+v");
        EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(280, 228, 240, 36).find("adadeniz") != std::string::npos; }, 10))
            << duzen << ": " << l.ekran_yazisi(280, 228, 240, 36);
        for (const char* t : {"ctrl+a", "ctrl+x", "ctrl+v", "ctrl+v"}) l.tus(t);
        EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(280, 228, 240, 36).find("adadenizadadeniz") != std::string::npos; }, 10))
            << duzen << ": " << l.ekran_yazisi(280, 228, 240, 36);
        EXPECT_EQ(l.kapat_iste(), 0);
    }
    komut("setxkbmap us");
}

TEST(GirisPenceresi, TwoStepLoginIntoTheGameAndBackThroughTheClosingPicture) {
    oyunlu_launcher o;
    ASSERT_NO_FATAL_FAILURE(o.giris("mert", "Kx9-Vm2-Zq7w"));
    ASSERT_TRUE(bekle_ki([&] { return o.kutu_metni().find("iki ad") != std::string::npos; }, 10)) << o.kutu_metni();
    o.l.tus("Return");  // closes the box; the code field has the focus
    komut("import -window " + o.l.id + " " + o.l.dizin.yol + "/kod_kipi.png");
    o.l.yaz(o.servis.kod("mert"));
    o.l.tus("Return");
    ASSERT_TRUE(bekle_ki([&] { return !o.l.gorunur_mu(); }, 10));
    pid_t oyun = 0;
    ASSERT_TRUE(bekle_ki([&] { return (oyun = o.oyun_pid()) > 0; }, 5));
    if (yardimci::BELLEK_TARANIR) {
        EXPECT_EQ(bellekte_say(o.l.pid, "Kx9-Vm2-Zq7w"), 0);
    }
    const std::string demo = yardimci::pencere_bul(oyun, 10);
    ASSERT_FALSE(demo.empty());
    komut("xdotool mousemove --window " + demo + " 100 100 sleep 0.2 key space");
    ASSERT_TRUE(bekle_ki([&] { return o.l.gorunur_mu(); }, 5));
    o.l.konum_oku();
    EXPECT_NE(komut("xdotool getwindowgeometry " + o.l.id).find("1280x640"), std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    komut("import -window " + o.l.id + " " + o.l.dizin.yol + "/kapanis.png");
    o.l.tikla(640, 320);
    EXPECT_EQ(yardimci::bekle(o.l.pid, 5), 0);
}

TEST(GirisPenceresi, APanelClosedDuringTheRequestStartsNothing) {
    oyunlu_launcher o;
    ASSERT_NO_FATAL_FAILURE(o.giris("bekleyen", "Tr4-Pq8-Lm3d"));
    o.l.tus("Escape");
    // The request reached the service; its answer (a ticket) comes four seconds later.
    ASSERT_TRUE(bekle_ki([&] { return !yardimci::dosya_oku(o.servis.kayit).empty(); }, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(5000));
    EXPECT_EQ(o.oyun_pid(), 0);
    EXPECT_TRUE(o.l.gorunur_mu());
    EXPECT_EQ(o.kutu_metni().find("Oyun"), std::string::npos);
    if (yardimci::BELLEK_TARANIR) {
        EXPECT_EQ(bellekte_say(o.l.pid, "Tr4-Pq8-Lm3d"), 0);
    }
    EXPECT_EQ(o.l.kapat_iste(), 0);
}

// A service that takes the request and never answers must not hold the launcher's exit.
TEST(GirisPenceresi, ClosingDuringAStalledRequestEndsAtOnce) {
    oyunlu_launcher o;
    ASSERT_NO_FATAL_FAILURE(o.giris("sessiz", "parola"));
    const std::string curl = "pgrep -f '[c]url.*" + std::to_string(o.servis.port) + "'";
    ASSERT_TRUE(bekle_ki([&] { return !komut(curl).empty(); }, 5));
    const auto bas = std::chrono::steady_clock::now();
    EXPECT_EQ(o.l.kapat_iste(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(2));
    EXPECT_EQ(komut(curl), "");
}

TEST(OyunDenetimi, AnEarlyFailureBringsTheWindowBackWithItsCode) {
    oyunlu_launcher o;
    ASSERT_NO_FATAL_FAILURE(o.giris("ucle", "parola"));
    ASSERT_TRUE(bekle_ki([&] { return !o.l.gorunur_mu(); }, 10));
    ASSERT_TRUE(bekle_ki([&] { return o.l.gorunur_mu(); }, 10));
    EXPECT_TRUE(bekle_ki([&] { return sifirli(o.kutu_metni()).find("0x00000003") != std::string::npos; }, 5))
        << o.kutu_metni();
    EXPECT_EQ(o.l.kapat_iste(), 0);
}

// While the game runs the launcher only wakes twice a second and draws nothing.
TEST(OyunDenetimi, AKilledGameIsReportedAndTheHiddenLauncherIsIdle) {
    oyunlu_launcher o;
    ASSERT_NO_FATAL_FAILURE(o.giris("uzun", "parola"));
    pid_t oyun = 0;
    ASSERT_TRUE(bekle_ki([&] { return (oyun = o.oyun_pid()) > 0; }, 10));
    auto islemci = [&] {
        std::ifstream f("/proc/" + std::to_string(o.l.pid) + "/stat");
        std::string s((std::istreambuf_iterator<char>(f)), {});
        std::istringstream alanlar(s.substr(s.rfind(')') + 2));
        std::string a;
        long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && alanlar >> a; ++i) {
            if (i == 14) utime = std::atol(a.c_str());
            if (i == 15) stime = std::atol(a.c_str());
        }
        return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
    };
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double once = islemci();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    EXPECT_LT(islemci() - once, 0.1);  // under 1 % of one core over 10 s
    kill(oyun, SIGKILL);
    ASSERT_TRUE(bekle_ki([&] { return o.l.gorunur_mu(); }, 5));
    EXPECT_TRUE(bekle_ki([&] { return sifirli(o.kutu_metni()).find("0x00000089") != std::string::npos; }, 5))
        << o.kutu_metni();
    EXPECT_EQ(o.l.kapat_iste(), 0);
}

TEST(OyunDenetimi, ANormalEndClosesTheLauncherByItselfAndABadFolderIs126) {
    {
        oyunlu_launcher o;
        ASSERT_NO_FATAL_FAILURE(o.giris("sifirla", "parola"));
        ASSERT_TRUE(bekle_ki([&] { return !o.l.gorunur_mu(); }, 10));
        ASSERT_TRUE(bekle_ki([&] { return o.l.gorunur_mu(); }, 10));
        const auto bas = std::chrono::steady_clock::now();
        EXPECT_EQ(yardimci::bekle(o.l.pid, 10), 0);
        EXPECT_GT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(4));  // it waited its 5 s
    }
    oyunlu_launcher o("oyun_klasoru=olmayan/dizin\n");
    ASSERT_NO_FATAL_FAILURE(o.giris("sifirla", "parola"));
    EXPECT_TRUE(bekle_ki([&] { return sifirli(o.kutu_metni()).find("0x0000007E") != std::string::npos; }, 10))
        << o.kutu_metni();
    EXPECT_EQ(o.l.kapat_iste(), 0);
}

}  // namespace
