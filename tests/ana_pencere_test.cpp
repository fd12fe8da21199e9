// The real launcher's screens under an X server, checked by the colours of known pixels:
// the progress bar while downloading and when done, the failure line opening the message
// box, the box's layer and keys, the news banner, and the close button.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/yardimci.h"

namespace {

using yardimci::bekle_ki;

using yardimci::komut;
using rgb = std::array<int, 3>;

int parlaklik(rgb c) { return c[0] + c[1] + c[2]; }

// A launcher started in a fresh run-time directory with the given user settings.
struct calisan_launcher {
    yardimci::gecici_dizin dizin;
    pid_t pid = -1;
    std::string id;
    int x = 0, y = 0;  // window origin on the screen

    explicit calisan_launcher(const std::string& ayarlar) {
        yardimci::calisma_dizini_kur(dizin.yol, true);
        yardimci::dosya_yaz(dizin.yol + "/launcher.ini", ayarlar);
        pid = yardimci::baslat(dizin.yol + "/MorvatanLauncher", dizin.yol + "/stderr.txt");
        id = yardimci::pencere_bul(pid, 20);
        std::istringstream s(komut("xdotool getwindowgeometry --shell " + id));
        for (std::string satir; std::getline(s, satir);) {
            if (satir.rfind("X=", 0) == 0) x = std::stoi(satir.substr(2));
            if (satir.rfind("Y=", 0) == 0) y = std::stoi(satir.substr(2));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~calisan_launcher() {
        if (pid > 0) yardimci::bekle(pid, 0.1);  // kills a launcher a failed test left running
    }
    rgb piksel(int px, int py) const {
        std::istringstream s(komut(std::string(MORVATAN_PIKSEL_OKU) + " " + id + " " + std::to_string(px) + " " +
                                   std::to_string(py)));
        rgb c{-1, -1, -1};
        s >> c[0] >> c[1] >> c[2];
        return c;
    }
    void tikla(int px, int py) const {
        komut("xdotool mousemove " + std::to_string(x + px) + " " + std::to_string(y + py) +
              " sleep 0.15 mousedown 1 sleep 0.15 mouseup 1 sleep 0.15");
    }
    std::string hata_metni() const { return yardimci::dosya_oku(dizin.yol + "/stderr.txt"); }
    // The text in a rectangle of the window, read by OCR from a screenshot scaled up 4x.
    std::string ekran_yazisi(int x0, int y0, int w, int h) const {
        const std::string resim = dizin.yol + "/ekran.png";
        komut("import -window " + id + " -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" +
              std::to_string(x0) + "+" + std::to_string(y0) + " -resize 400% -colorspace Gray -negate " + resim);
        return komut("tesseract " + resim + " - --psm 7 2>/dev/null");
    }
    void tus(const std::string& ad) const { komut("xdotool key " + ad + " sleep 0.2"); }
    // Asks the window to close as a desktop does; returns the exit status.
    int kapat_iste() {
        komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
        return yardimci::bekle(pid, 10);
    }
    // The message box dims the sky at (60, 60) that was `gok` before it opened.
    bool kutu_acik(const rgb& gok) const {
        return bekle_ki([&] { return parlaklik(piksel(60, 60)) < parlaklik(gok) * 0.8; }, 5);
    }
    bool kutu_kapali(const rgb& gok) const {
        return bekle_ki([&] { return parlaklik(piksel(60, 60)) >= parlaklik(gok) - 6; }, 5);
    }
    // True when any pixel of the rectangle is within `tolerans` of the colour.
    bool renk_var(int x0, int y0, int w, int h, rgb renk, int tolerans) const {
        std::istringstream s(komut(std::string(MORVATAN_PIKSEL_OKU) + " " + id + " -r " + std::to_string(x0) + " " +
                                   std::to_string(y0) + " " + std::to_string(w) + " " + std::to_string(h)));
        rgb c;
        while (s >> c[0] >> c[1] >> c[2])
            if (std::abs(c[0] - renk[0]) <= tolerans && std::abs(c[1] - renk[1]) <= tolerans &&
                std::abs(c[2] - renk[2]) <= tolerans)
                return true;
        return false;
    }
};

bool altin_mi(rgb c) { return c[0] > 150 && c[1] > 90 && c[2] < 140 && c[0] > c[2] + 60; }

TEST(AnaPencere, ProgressBarFillsWhileDownloadingAndIsFullWhenDone) {
    yardimci::gecici_dizin sunucu_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);
    const std::string buyuk(6 << 20, 'o');
    sunucu.dosya("oyun.pak", buyuk);
    sunucu.hata("yavas", "oyun.pak");  // about two seconds
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\nsurum 1.4.2\n" + yardimci::ozet(buyuk) + " " +
                                           std::to_string(buyuk.size()) + " oyun.pak\n");
    calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    // Part-way: the left of the bar is filled, the right end not yet.
    ASSERT_TRUE(bekle_ki([&] { return altin_mi(l.piksel(420, 467)); }, 10));
    EXPECT_FALSE(altin_mi(l.piksel(716, 467)));
    ASSERT_TRUE(bekle_ki([&] { return altin_mi(l.piksel(716, 467)); }, 15));
    // The bar is full once every byte has arrived; the file is in place a moment later.
    EXPECT_TRUE(bekle_ki([&] { return yardimci::dosya_oku(l.dizin.yol + "/oyun.pak").size() == buyuk.size(); }, 10));
    l.tikla(774, 26);  // the close button
    EXPECT_EQ(yardimci::bekle(l.pid, 10), 0);
}

// The worker is often downloading before the first frame; the first rate shown must still be
// the real one, not one measured from the clock's epoch and smoothed towards for seconds.
TEST(AnaPencere, TheRateShownSoonAfterTheWindowAppearsIsTheServedRate) {
    yardimci::gecici_dizin sunucu_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);
    const double HIZ_MB = 4.0;
    std::string buyuk(48 << 20, '\0');
    for (size_t i = 0; i < buyuk.size(); ++i) buyuk[i] = char(i * 31 % 253);
    sunucu.dosya("oyun.pak", buyuk);
    sunucu.hata("hiz:" + std::to_string(int(HIZ_MB * 1048576)), "oyun.pak");
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\n" + yardimci::ozet(buyuk) + " " +
                                           std::to_string(buyuk.size()) + " oyun.pak\n");
    calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");  // returns 0.3 s after the window appears
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const auto son = std::chrono::steady_clock::now() + std::chrono::milliseconds(2200);
    const std::regex hiz_deseni(R"(([0-9]+\.[0-9]) MB/sn)");
    std::vector<double> okunan;
    std::string yazilar;
    while (std::chrono::steady_clock::now() < son) {
        const std::string yazi = l.ekran_yazisi(350, 416, 420, 22);
        yazilar += yazi;
        std::smatch m;
        if (std::regex_search(yazi, m, hiz_deseni)) okunan.push_back(std::stod(m[1]));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    ASSERT_FALSE(okunan.empty()) << yazilar;
    EXPECT_NEAR(okunan.back(), HIZ_MB, HIZ_MB * 0.25) << yazilar;
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(AnaPencere, WhileCheckingTheBarIsEmptyAndStartIsDisabled) {
    yardimci::gecici_dizin sunucu_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\n" + std::string(100000, '#') + "\n");
    sunucu.hata("takil", "dosyalar-linux.txt");  // the manifest never finishes
    calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    EXPECT_TRUE(l.renk_var(560, 418, 210, 16, {0xF0, 0xE6, 0xCC}, 30));  // the status text
    EXPECT_FALSE(altin_mi(l.piksel(420, 467)));
    EXPECT_TRUE(l.renk_var(380, 526, 90, 18, {0xB8, 0xAE, 0x96}, 25));   // START's muted label
    EXPECT_FALSE(l.renk_var(380, 526, 90, 18, {0xFB, 0xE3, 0xC2}, 20));
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(AnaPencere, FailureLineOpensTheBoxWhichOwnsInputUntilClosed) {
    yardimci::gecici_dizin sunucu_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);  // serves no manifest: 404
    calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const rgb gok = l.piksel(60, 60);
    ASSERT_TRUE(bekle_ki([&] { return l.renk_var(700, 418, 70, 16, {0xE0, 0x8A, 0x7A}, 40); }, 10));
    EXPECT_FALSE(altin_mi(l.piksel(420, 467)));  // no fill after a failure

    l.tikla(700, 426);  // the retry link
    ASSERT_TRUE(l.kutu_acik(gok));
    EXPECT_TRUE(l.renk_var(222, 224, 60, 14, {0xE0, 0x7A, 0x5F}, 40));  // "HATA" in its colour
    EXPECT_TRUE(l.renk_var(222, 256, 300, 60, {236, 230, 214}, 30));    // the body text
    EXPECT_TRUE(l.renk_var(360, 366, 80, 22, {0xEF, 0xE3, 0xC4}, 40));  // "TAMAM" on its button
    EXPECT_FALSE(l.renk_var(222, 366, 120, 22, {0xEF, 0xE3, 0xC4}, 20)); // left of the button
    EXPECT_TRUE(bekle_ki([&] {
        std::string log = sunucu.istekler();
        return log.find("dosyalar-linux.txt\ndosyalar-linux.txt\n") != std::string::npos;
    }, 10));  // the retry started a new run

    l.tikla(774, 26);  // the close button lies beneath the box: nothing happens
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(yardimci::calisiyor_mu(l.pid));
    l.tus("Escape");
    EXPECT_TRUE(l.kutu_kapali(gok));
    l.tikla(700, 426);
    ASSERT_TRUE(l.kutu_acik(gok));
    l.tus("Return");
    EXPECT_TRUE(l.kutu_kapali(gok));
    l.tikla(774, 26);
    EXPECT_EQ(yardimci::bekle(l.pid, 10), 0);
}

// A loopback server for news feeds; `ayar` points a launcher at one of its files.
struct haber_sunucusu {
    yardimci::gecici_dizin dizin;
    yardimci::test_sunucusu sunucu{dizin.yol};
    std::string ayar(const std::string& dosya) const { return "haber_adresi=" + sunucu.adres() + dosya + "\n"; }
};

// Right end of the first headline row, where a news item's short text stands.
bool haber_var(const calisan_launcher& l) { return l.renk_var(715, 362, 36, 14, {0xB8, 0xAE, 0x96}, 30); }

TEST(AnaPencere, BannerShowsTheFirstNewsItem) {
    haber_sunucusu h;
    yardimci::test_sunucusu& sunucu = h.sunucu;
    sunucu.dosya("haber.txt", "08.12|Kış Sezonu|Kuzey Dağları açıldı.\r\n05.12|Bakım Notları|Tamamlandı.\n");
    calisan_launcher l(h.ayar("haber.txt"));
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const rgb gok = l.piksel(60, 60);
    // The second item's short text appears right-aligned in the first headline row.
    ASSERT_TRUE(bekle_ki([&] { return haber_var(l); }, 10));
    l.tikla(565, 180);
    ASSERT_TRUE(l.kutu_acik(gok));
    EXPECT_TRUE(l.renk_var(222, 224, 120, 14, {0xE2, 0xC2, 0x7A}, 40));  // the item's title colour
    l.tus("KP_Enter");
    EXPECT_TRUE(l.kutu_kapali(gok));
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(AnaPencere, FeedOfOneMebibyteIsDiscardedAndOneByteLessIsShown) {
    haber_sunucusu h;
    yardimci::test_sunucusu& sunucu = h.sunucu;
    std::string feed = "08.12|Kış|x\n05.12|Bakım|";
    feed += std::string(1048576 - feed.size() - 1, 'm') + "\n";
    ASSERT_EQ(feed.size(), 1048576u);
    sunucu.dosya("tam.txt", feed);
    sunucu.dosya("eksik.txt", feed.substr(1));
    {
        calisan_launcher l(h.ayar("tam.txt"));
        ASSERT_FALSE(l.id.empty()) << l.hata_metni();
        EXPECT_FALSE(bekle_ki([&] { return haber_var(l); }, 3));
        EXPECT_EQ(l.kapat_iste(), 0);
    }
    calisan_launcher l(h.ayar("eksik.txt"));
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    EXPECT_TRUE(bekle_ki([&] { return haber_var(l); }, 10));
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(AnaPencere, QuotedFeedAddressIsRefusedAndAStalledFeedDoesNotHoldTheExit) {
    haber_sunucusu h;
    yardimci::test_sunucusu& sunucu = h.sunucu;
    sunucu.dosya("haber.txt", "a|b|c\nd|e|f\n");
    {
        calisan_launcher l(h.ayar("it's.txt"));
        ASSERT_FALSE(l.id.empty()) << l.hata_metni();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(sunucu.istekler(), "");  // nothing was run
        EXPECT_EQ(l.kapat_iste(), 0);
    }
    sunucu.hata("takil", "haber.txt");
    calisan_launcher l(h.ayar("haber.txt"));
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    ASSERT_TRUE(bekle_ki([&] { return sunucu.istekler().find("haber.txt") != std::string::npos; }, 10));
    EXPECT_EQ(l.kapat_iste(), 0);  // the detached fetch thread is still inside curl
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(komut("pgrep -f '[c]url.*:" + std::to_string(sunucu.port) + "/haber'"), "");
}

}  // namespace
