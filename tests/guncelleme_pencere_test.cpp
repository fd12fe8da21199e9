// The updater inside the real launcher under an X server: the self-restart after the launcher
// replaced its own executable, and closing the window while a download is stalled.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace {

using yardimci::bekle_ki;

TEST(GuncellemePencere, ReplacedLauncherRestartsTheNewExecutable) {
    yardimci::gecici_dizin dizin;
    yardimci::test_sunucusu sunucu;
    yardimci::calisma_dizini_kur(dizin.yol, true);
    yardimci::dosya_yaz(dizin.yol + "/launcher.ini", "guncelleme=" + sunucu.adres() + "\n");
    // The "new launcher" records how it was started and where it runs.
    const std::string yeni = "#!/bin/sh\necho \"$0 $(pwd)\" > yeniden.txt\n";
    sunucu.yayinla({{"MorvatanLauncher", yeni}});
    const std::string exe = dizin.yol + "/MorvatanLauncher";
    pid_t pid = yardimci::baslat(exe, dizin.yol + "/stderr.txt");
    EXPECT_EQ(yardimci::bekle(pid, 20), 0) << yardimci::dosya_oku(dizin.yol + "/stderr.txt");
    ASSERT_TRUE(bekle_ki([&] { return yardimci::dosya_oku(dizin.yol + "/yeniden.txt").size() > 0; }, 10));
    EXPECT_EQ(yardimci::dosya_oku(dizin.yol + "/yeniden.txt"), exe + " " + dizin.yol + "\n");
    EXPECT_EQ(yardimci::dosya_oku(exe), yeni);
}

TEST(GuncellemePencere, ClosingDuringAStalledDownloadEndsWithinTwoSeconds) {
    yardimci::test_sunucusu sunucu;
    const std::string buyuk(8 << 20, 'b');
    sunucu.hata("takil", "buyuk.pak");
    sunucu.yayinla({{"buyuk.pak", buyuk}});
    launcher_penceresi::calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const std::string& dizin = l.dizin.yol;
    ASSERT_TRUE(bekle_ki([&] { return sunucu.istekler().find("buyuk.pak") != std::string::npos; }, 10));
    // The server sends half of the file, then nothing: close once that half has landed (or
    // after ten seconds; the checks below hold either way).
    std::error_code ec;
    const auto boyut = [&] { return std::filesystem::file_size(dizin + "/buyuk.pak.indir", ec); };
    const bool yarisi = bekle_ki([&] { return boyut() == buyuk.size() / 2; }, 10);
    auto bas = std::chrono::steady_clock::now();
    EXPECT_EQ(l.kapat_iste(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(2));
    EXPECT_EQ(yardimci::komut("pgrep -f '[c]url.*:" + std::to_string(sunucu.port) + "/buyuk'"), "");
    // Half of the file had landed: kept for the next start to continue (a part below 4 MiB
    // is not worth keeping), never half-written under the final name.
    const std::string kalan = yardimci::dosya_oku(dizin + "/buyuk.pak.indir");
    if (yarisi) {
        EXPECT_EQ(kalan.size(), buyuk.size() / 2);
    }
    EXPECT_TRUE(kalan.empty() || kalan.size() >= (4u << 20)) << kalan.size();
    EXPECT_TRUE(kalan == buyuk.substr(0, kalan.size()));
    EXPECT_FALSE(std::filesystem::exists(dizin + "/buyuk.pak"));
}

// A player's network through the real launcher: the update server's port is closed, so the
// backup serves; it answers 503 twice before it does (1 s and 3 s of waiting); the cap holds
// the download to 2 MiB/s; and the status line names the backup.
TEST(GuncellemePencere, ABackupServesAfterItsRetriesUnderTheCapAndTheStatusLineNamesIt) {
    yardimci::test_sunucusu sunucu;
    sunucu.hata("503:2", "dosyalar-linux.txt");
    sunucu.yayinla({{"oyun.pak", std::string(6 << 20, 'o')}});
    const auto bas = std::chrono::steady_clock::now();
    launcher_penceresi::calisan_launcher l("guncelleme=http://127.0.0.1:1/\nguncelleme_yedek=" + sunucu.adres() +
                                           "\nindirme_siniri=2048\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    ASSERT_TRUE(bekle_ki([&] { return std::filesystem::exists(l.dizin.yol + "/oyun.pak"); }, 30)) << l.hata_metni();
    // Two waits (1 s and 3 s, a fifth more at most) and 6 MiB at 2 MiB/s.
    EXPECT_GE(std::chrono::steady_clock::now() - bas, std::chrono::milliseconds(4000 + 2700));
    EXPECT_EQ(sunucu.istekler(), "dosyalar-linux.txt\ndosyalar-linux.txt\ndosyalar-linux.txt\noyun.pak\n");
    const auto alt = [&] { return l.ekran_yazisi(330, 582, 460, 20); };
    EXPECT_TRUE(bekle_ki([&] { return alt().find("Yedek") != std::string::npos; }, 10)) << alt();
    EXPECT_NE(alt().find(std::to_string(sunucu.port)), std::string::npos) << alt();
}

}  // namespace
