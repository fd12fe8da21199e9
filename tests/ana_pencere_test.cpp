// The real launcher's screens under an X server, checked by the colours of known pixels:
// the progress bar while downloading and when done, the failure line opening the message
// box, the box's layer and keys, the news banner, and the close button.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <chrono>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace {

using yardimci::bekle_ki;

using yardimci::komut;
using launcher_penceresi::calisan_launcher;
using launcher_penceresi::parlaklik;
using launcher_penceresi::rgb;

bool altin_mi(rgb c) { return c[0] > 150 && c[1] > 90 && c[2] < 140 && c[0] > c[2] + 60; }

TEST(AnaPencere, ProgressBarFillsWhileDownloadingAndIsFullWhenDone) {
    yardimci::test_sunucusu sunucu;
    const std::string buyuk(6 << 20, 'o');
    sunucu.hata("hiz:1048576", "oyun.pak");  // six seconds: part-way lasts long enough to be seen
    sunucu.yayinla({{"oyun.pak", buyuk}});
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

// Frames are drawn only when something changed, so the picture must still follow a download
// with no input at all, several times a second, and a hover must show.
TEST(AnaPencere, WithoutInputTheBarStillMovesAndAHoverShows) {
    yardimci::test_sunucusu sunucu;
    const std::string buyuk(32 << 20, 'h');
    sunucu.hata("hiz:4194304", "oyun.pak");  // eight seconds
    sunucu.yayinla({{"oyun.pak", buyuk}});
    calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    ASSERT_TRUE(bekle_ki([&] { return altin_mi(l.piksel(420, 467)); }, 10));
    std::set<std::string> goruntuler;
    const auto son = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < son) goruntuler.insert(l.bolge(407, 456, 316, 22));
    EXPECT_GE(goruntuler.size(), 4u) << "the bar changed fewer than four times in two seconds";
    // The community link "DC" turns light gold under the pointer.
    const rgb acik_altin{0xFF, 0xE2, 0xA0};
    EXPECT_FALSE(l.renk_var(478, 330, 22, 20, acik_altin, 12));
    komut("xdotool mousemove " + std::to_string(l.x + 489) + " " + std::to_string(l.y + 340));
    EXPECT_TRUE(bekle_ki([&] { return l.renk_var(478, 330, 22, 20, acik_altin, 12); }, 5));
    EXPECT_EQ(l.kapat_iste(), 0);
}

// The worker is often downloading before the first frame; the first rate shown must still be
// the real one, not one measured from the clock's epoch and smoothed towards for seconds.
TEST(AnaPencere, TheRateShownSoonAfterTheWindowAppearsIsTheServedRate) {
    yardimci::test_sunucusu sunucu;
    const double HIZ_MB = 4.0;
    std::string buyuk(48 << 20, '\0');
    for (size_t i = 0; i < buyuk.size(); ++i) buyuk[i] = char(i * 31 % 253);
    sunucu.hata("hiz:" + std::to_string(int(HIZ_MB * 1048576)), "oyun.pak");
    sunucu.yayinla({{"oyun.pak", buyuk}});
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
    yardimci::test_sunucusu sunucu;
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\n" + std::string(100000, '#') + "\n");
    sunucu.hata("takil", "dosyalar-linux.txt");  // the manifest never finishes
    calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    EXPECT_TRUE(bekle_ki([&] { return l.renk_var(560, 418, 210, 16, {0xF0, 0xE6, 0xCC}, 30); }, 5));  // status text
    EXPECT_FALSE(altin_mi(l.piksel(420, 467)));
    EXPECT_TRUE(bekle_ki([&] { return l.renk_var(380, 526, 90, 18, {0xB8, 0xAE, 0x96}, 25); }, 5));  // START muted
    EXPECT_FALSE(l.renk_var(380, 526, 90, 18, {0xFB, 0xE3, 0xC2}, 20));
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(AnaPencere, FailureLineOpensTheBoxWhichOwnsInputUntilClosed) {
    yardimci::test_sunucusu sunucu;  // serves no manifest: 404
    calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const rgb gok = l.piksel(60, 60);
    ASSERT_TRUE(bekle_ki([&] { return l.renk_var(700, 418, 70, 16, {0xE0, 0x8A, 0x7A}, 40); }, 10));
    EXPECT_FALSE(altin_mi(l.piksel(420, 467)));  // no fill after a failure

    l.tikla(700, 426);  // the retry link
    ASSERT_TRUE(l.kutu_acik(gok));
    EXPECT_TRUE(bekle_ki([&] { return l.renk_var(222, 224, 60, 14, {0xE0, 0x7A, 0x5F}, 40); }, 5));  // "HATA"
    EXPECT_TRUE(bekle_ki([&] { return l.renk_var(222, 256, 300, 60, {236, 230, 214}, 30); }, 5));  // the body
    EXPECT_TRUE(bekle_ki([&] { return l.renk_var(360, 366, 80, 22, {0xEF, 0xE3, 0xC4}, 40); }, 5));  // "TAMAM"
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

// Settings that point a launcher at a news feed on the server.
std::string haber_ayari(const yardimci::test_sunucusu& sunucu, const std::string& dosya) {
    return "haber_adresi=" + sunucu.adres() + dosya + "\n";
}

// Right end of the first headline row, where a news item's short text stands.
bool haber_var(const calisan_launcher& l) { return l.renk_var(715, 362, 36, 14, {0xB8, 0xAE, 0x96}, 30); }

TEST(AnaPencere, BannerShowsTheFirstNewsItem) {
    yardimci::test_sunucusu sunucu;
    sunucu.dosya("haber.txt", "08.12|Kış Sezonu|Kuzey Dağları açıldı.\r\n05.12|Bakım Notları|Tamamlandı.\n");
    calisan_launcher l(haber_ayari(sunucu, "haber.txt"));
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const rgb gok = l.piksel(60, 60);
    // The second item's short text appears right-aligned in the first headline row.
    ASSERT_TRUE(bekle_ki([&] { return haber_var(l); }, 10));
    l.tikla(565, 180);
    ASSERT_TRUE(l.kutu_acik(gok));
    EXPECT_TRUE(bekle_ki([&] { return l.renk_var(222, 224, 120, 14, {0xE2, 0xC2, 0x7A}, 40); }, 5));  // title colour
    l.tus("KP_Enter");
    EXPECT_TRUE(l.kutu_kapali(gok));
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(AnaPencere, FeedOfOneMebibyteIsDiscardedAndOneByteLessIsShown) {
    yardimci::test_sunucusu sunucu;
    std::string feed = "08.12|Kış|x\n05.12|Bakım|";
    feed += std::string(1048576 - feed.size() - 1, 'm') + "\n";
    ASSERT_EQ(feed.size(), 1048576u);
    sunucu.dosya("tam.txt", feed);
    sunucu.dosya("eksik.txt", feed.substr(1));
    {
        calisan_launcher l(haber_ayari(sunucu, "tam.txt"));
        ASSERT_FALSE(l.id.empty()) << l.hata_metni();
        EXPECT_FALSE(bekle_ki([&] { return haber_var(l); }, 3));
        EXPECT_EQ(l.kapat_iste(), 0);
    }
    calisan_launcher l(haber_ayari(sunucu, "eksik.txt"));
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    EXPECT_TRUE(bekle_ki([&] { return haber_var(l); }, 10));
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(AnaPencere, QuotedFeedAddressIsRefusedAndAStalledFeedDoesNotHoldTheExit) {
    yardimci::test_sunucusu sunucu;
    sunucu.dosya("haber.txt", "a|b|c\nd|e|f\n");
    {
        calisan_launcher l(haber_ayari(sunucu, "it's.txt"));
        ASSERT_FALSE(l.id.empty()) << l.hata_metni();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(sunucu.istekler(), "");  // nothing was run
        EXPECT_EQ(l.kapat_iste(), 0);
    }
    sunucu.hata("takil", "haber.txt");
    calisan_launcher l(haber_ayari(sunucu, "haber.txt"));
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    ASSERT_TRUE(bekle_ki([&] { return sunucu.istekler().find("haber.txt") != std::string::npos; }, 10));
    EXPECT_EQ(l.kapat_iste(), 0);  // the detached fetch thread is still inside curl
    const std::string ara = "pgrep -f '[c]url.*:" + std::to_string(sunucu.port) + "/haber'";
    EXPECT_TRUE(bekle_ki([&] { return komut(ara).empty(); }, 5)) << komut(ara);
}

// An installation the player may only read (the package unpacked by root under /opt, run by
// a player): one box at start names the folder and the remedy, no update is asked for, START
// says the same while the game is missing, and a second start opens no second window.
TEST(AnaPencere, AFolderThePlayerCannotWriteIsSaidAtOnceAndStillHoldsOneLauncher) {
    yardimci::test_sunucusu sunucu;
    sunucu.yayinla({{"oyun.pak", "x"}});
    yardimci::gecici_dizin d, gunluk;
    const std::string kurulum = d.yol + "/opt/morvatan";
    std::filesystem::create_directories(kurulum);
    yardimci::calisma_dizini_kur(kurulum, true);
    yardimci::dosya_yaz(kurulum + "/launcher.ini", "guncelleme=" + sunucu.adres() + "\nkisayol=1\n");
    // Root's folder run by a player (nobody); without root, a folder that lost its write bits.
    const std::string oyuncu = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    yardimci::dosya_yaz(d.yol + "/oyuncu.sh", "#!/bin/sh\nexec " + oyuncu + kurulum + "/MorvatanLauncher\n");
    komut("chmod 755 " + d.yol + "/oyuncu.sh && chmod -R a+rX,a-w " + d.yol);
    auto kutu = [](const calisan_launcher& l) { return l.ekran_yazisi(170, 160, 460, 290, false); };
    calisan_launcher l(yardimci::baslat(d.yol + "/oyuncu.sh", gunluk.yol + "/birinci.txt"));
    ASSERT_FALSE(l.id.empty()) << yardimci::dosya_oku(gunluk.yol + "/birinci.txt");
    EXPECT_TRUE(bekle_ki([&] { return kutu(l).find("local/share") != std::string::npos; }, 10)) << kutu(l);
    EXPECT_NE(kutu(l).find("morvatan"), std::string::npos) << kutu(l);  // the folder is named
    const pid_t ikinci = yardimci::baslat(d.yol + "/oyuncu.sh", gunluk.yol + "/ikinci.txt");
    EXPECT_EQ(yardimci::bekle(ikinci, 10), 0) << yardimci::dosya_oku(gunluk.yol + "/ikinci.txt");
    EXPECT_EQ(sunucu.istekler(), "");
    l.tus("Return");
    ASSERT_TRUE(bekle_ki([&] { return kutu(l).find("local/share") == std::string::npos; }, 5));
    l.tikla(420, 535);  // START
    EXPECT_TRUE(bekle_ki([&] { return kutu(l).find("local/share") != std::string::npos; }, 10)) << kutu(l);
    l.tus("Return");
    EXPECT_EQ(l.kapat_iste(), 0);
    komut("chmod -R u+w " + d.yol);
}

}  // namespace
