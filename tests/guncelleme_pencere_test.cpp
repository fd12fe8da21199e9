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
    yardimci::gecici_dizin dizin, sunucu_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);
    yardimci::calisma_dizini_kur(dizin.yol, true);
    yardimci::dosya_yaz(dizin.yol + "/launcher.ini", "guncelleme=" + sunucu.adres() + "\n");
    // The "new launcher" records how it was started and where it runs.
    const std::string yeni = "#!/bin/sh\necho \"$0 $(pwd)\" > yeniden.txt\n";
    sunucu.dosya("MorvatanLauncher", yeni);
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\n" + yardimci::ozet(yeni) + " " +
                                           std::to_string(yeni.size()) + " MorvatanLauncher\n");
    const std::string exe = dizin.yol + "/MorvatanLauncher";
    pid_t pid = yardimci::baslat(exe, dizin.yol + "/stderr.txt");
    EXPECT_EQ(yardimci::bekle(pid, 20), 0) << yardimci::dosya_oku(dizin.yol + "/stderr.txt");
    ASSERT_TRUE(bekle_ki([&] { return yardimci::dosya_oku(dizin.yol + "/yeniden.txt").size() > 0; }, 10));
    EXPECT_EQ(yardimci::dosya_oku(dizin.yol + "/yeniden.txt"), exe + " " + dizin.yol + "\n");
    EXPECT_EQ(yardimci::dosya_oku(exe), yeni);
}

TEST(GuncellemePencere, ClosingDuringAStalledDownloadEndsWithinTwoSeconds) {
    yardimci::gecici_dizin dizin, sunucu_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);
    yardimci::calisma_dizini_kur(dizin.yol, true);
    yardimci::dosya_yaz(dizin.yol + "/launcher.ini", "guncelleme=" + sunucu.adres() + "\n");
    const std::string buyuk(8 << 20, 'b');
    sunucu.dosya("buyuk.pak", buyuk);
    sunucu.hata("takil", "buyuk.pak");
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\n" + yardimci::ozet(buyuk) + " " +
                                           std::to_string(buyuk.size()) + " buyuk.pak\n");
    pid_t pid = yardimci::baslat(dizin.yol + "/MorvatanLauncher", dizin.yol + "/stderr.txt");
    // A failed assertion must not leave this launcher running into the next tests.
    struct bekci {
        pid_t p;
        ~bekci() {
            if (yardimci::calisiyor_mu(p)) yardimci::bekle(p, 0.1);
        }
    } kapatici{pid};
    std::string id = yardimci::pencere_bul(pid, 20);
    ASSERT_FALSE(id.empty());
    ASSERT_TRUE(bekle_ki([&] { return sunucu.istekler().find("buyuk.pak") != std::string::npos; }, 10));
    // The server sends half of the file, then nothing: close once that half has landed (or
    // after ten seconds; the checks below hold either way).
    std::error_code ec;
    const auto boyut = [&] { return std::filesystem::file_size(dizin.yol + "/buyuk.pak.indir", ec); };
    const bool yarisi = bekle_ki([&] { return boyut() == buyuk.size() / 2; }, 10);
    auto bas = std::chrono::steady_clock::now();
    yardimci::komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
    EXPECT_EQ(yardimci::bekle(pid, 10), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(2));
    EXPECT_EQ(yardimci::komut("pgrep -f '[c]url.*:" + std::to_string(sunucu.port) + "/buyuk'"), "");
    // Half of the file had landed: kept for the next start to continue (a part below 4 MiB
    // is not worth keeping), never half-written under the final name.
    const std::string kalan = yardimci::dosya_oku(dizin.yol + "/buyuk.pak.indir");
    if (yarisi) {
        EXPECT_EQ(kalan.size(), buyuk.size() / 2);
    }
    EXPECT_TRUE(kalan.empty() || kalan.size() >= (4u << 20)) << kalan.size();
    EXPECT_TRUE(kalan == buyuk.substr(0, kalan.size()));
    EXPECT_FALSE(std::filesystem::exists(dizin.yol + "/buyuk.pak"));
}

// The real launcher with the operator's key in varsayilan.ini: a tampered manifest is never
// acted on, and the player reads why after clicking the failure line.
TEST(GuncellemePencere, ATamperedSignedManifestIsRefusedAndSaysWhy) {
    yardimci::gecici_dizin sunucu_dizini, anahtar_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);
    const std::string arac = MORVATAN_LISTE, gizli = anahtar_dizini.yol + "/gizli";
    std::string acik = yardimci::komut(arac + " --anahtar-uret " + gizli);
    acik.pop_back();
    sunucu.dosya("oyun.pak", "imzali icerik");
    yardimci::komut(arac + " --imzala " + gizli + " " + sunucu.kok + " 3.0");
    std::string liste = yardimci::dosya_oku(sunucu.kok + "/dosyalar-linux.txt");
    liste.replace(liste.find("3.0"), 3, "3.1");  // one byte of the signed text
    sunucu.dosya("dosyalar-linux.txt", liste);
    launcher_penceresi::calisan_launcher l("guncelleme=" + sunucu.adres() + "\nimza_anahtari=" + acik + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    ASSERT_TRUE(bekle_ki([&] { return l.ekran_yazisi(560, 416, 215, 22).find("tekrar") != std::string::npos; }, 10));
    l.tikla(700, 426);
    EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(170, 160, 460, 290, false).find("imza gecersiz") != std::string::npos; }, 5))
        << l.ekran_yazisi(170, 160, 460, 290, false);
    EXPECT_FALSE(std::filesystem::exists(l.dizin.yol + "/oyun.pak"));
    EXPECT_EQ(l.kapat_iste(), 0);
}

}  // namespace
