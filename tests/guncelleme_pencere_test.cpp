// The updater inside the real launcher under an X server: a self-restart into a launcher that
// does not run or that a host keeps changing, and closing the window while a download is
// stalled.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace {

using yardimci::bekle_ki;

// A new launcher that does not run never strands the player: one that ends at once after the
// restart (an x86-64 program that exits 1) is put back by the old launcher, which keeps its
// process, shows its window again and says why.
TEST(GuncellemePencere, ANewLauncherThatEndsAtOnceIsPutBackAndTheOldOneGoesOn) {
    yardimci::test_sunucusu sunucu;
    sunucu.yayinla({{"MorvatanLauncher", yardimci::dosya_oku("/bin/false")}});
    launcher_penceresi::calisan_launcher l("guncelleme=" + sunucu.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const auto kutu = [&] { return l.ekran_yazisi(170, 160, 460, 290, false); };
    ASSERT_TRUE(bekle_ki([&] { return kutu().find("geri kondu") != std::string::npos; }, 30)) << kutu();
    EXPECT_NE(kutu().find("kodu 1"), std::string::npos) << kutu();
    EXPECT_TRUE(yardimci::yasiyor_mu(l.pid));
    EXPECT_TRUE(l.gorunur_mu());
    EXPECT_TRUE(yardimci::dosya_oku(l.dizin.yol + "/MorvatanLauncher") ==
                yardimci::dosya_oku(std::string(MORVATAN_CALISMA_DIZINI) + "/MorvatanLauncher"));
    EXPECT_EQ(l.kapat_iste(), 0);
}

// A host that hands out two launchers by turns (the path listed twice): the first launcher
// restarts into the second, which refuses to restart again so soon and says so.
TEST(GuncellemePencere, AHostThatAlternatesTwoLaunchersGetsOneRestartNotALoop) {
    yardimci::test_sunucusu sunucu;
    const std::string kendi = yardimci::dosya_oku(std::string(MORVATAN_CALISMA_DIZINI) + "/MorvatanLauncher");
    const std::string a = kendi + "\nsurum a\n", b = kendi + "\nsurum b\n";
    sunucu.dosya("MorvatanLauncher", a);
    sunucu.dosya("MorvatanLauncher.2", b);
    sunucu.dosya("dosyalar-linux.txt", "morvatan-liste 1\n" + yardimci::ozet(a) + " " + std::to_string(a.size()) +
                                           " MorvatanLauncher\n" + yardimci::ozet(b) + " " + std::to_string(b.size()) +
                                           " MorvatanLauncher\n");
    sunucu.hata("sirayla", "MorvatanLauncher");
    yardimci::gecici_dizin dizin;
    yardimci::calisma_dizini_kur(dizin.yol, true);
    yardimci::dosya_yaz(dizin.yol + "/launcher.ini", "guncelleme=" + sunucu.adres() + "\n");
    const pid_t ilk = yardimci::baslat(dizin.yol + "/MorvatanLauncher", dizin.yol + "/stderr.txt");
    EXPECT_EQ(yardimci::bekle(ilk, 30), 0) << yardimci::dosya_oku(dizin.yol + "/stderr.txt");  // it restarted
    pid_t yeni = 0;
    ASSERT_TRUE(bekle_ki([&] {
        yeni = pid_t(std::atoi(yardimci::dosya_oku(dizin.yol + "/launcher.kilit").c_str()));
        return yeni > 0 && yeni != ilk;
    }, 20));
    launcher_penceresi::calisan_launcher ikinci(yeni);
    ASSERT_FALSE(ikinci.id.empty());
    const auto kutu = [&] { return ikinci.ekran_yazisi(170, 160, 460, 290, false); };
    ASSERT_TRUE(bekle_ki([&] { return kutu().find("art arda") != std::string::npos; }, 30)) << kutu();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(yardimci::yasiyor_mu(yeni));
    const std::string istekler = sunucu.istekler();
    size_t listeler = 0;
    for (size_t p = 0; (p = istekler.find("dosyalar-linux.txt\n", p)) != std::string::npos; ++p) ++listeler;
    EXPECT_EQ(listeler, 2u) << istekler;  // two runs: one restart
    yardimci::komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + ikinci.id);
    EXPECT_TRUE(bekle_ki([&] { return !yardimci::yasiyor_mu(yeni); }, 10));
}

// A game still running from a launcher that was killed holds the installation: a new launcher
// says so, asks the update server nothing and keeps START grey, and updates once the game ends.
TEST(GuncellemePencere, AGameLeftRunningIsNotUpdatedUnderAndTheUpdateFollowsItsEnd) {
    yardimci::test_sunucusu sunucu;
    sunucu.yayinla({{"oyun.pak", "yeni"}});
    pid_t oyun = -1;
    launcher_penceresi::calisan_launcher l("guncelleme=" + sunucu.adres() + "\n", [&](const std::string& dizin) {
        // The game's side of the contract: one process holding the lock on descriptor 3's file.
        yardimci::dosya_yaz(dizin + "/oyun.sh", "#!/bin/sh\nexec python3 -c 'import fcntl, time; f = open(\"" + dizin +
                                                    "/oyun.kilit\", \"w\"); fcntl.flock(f, fcntl.LOCK_EX); time.sleep(60)'\n");
        std::filesystem::permissions(dizin + "/oyun.sh", std::filesystem::perms::owner_all);
        oyun = yardimci::baslat(dizin + "/oyun.sh", dizin + "/oyun.txt");
        bekle_ki([&] { return std::filesystem::exists(dizin + "/oyun.kilit"); }, 5);
    });
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const auto durum = [&] { return l.ekran_yazisi(380, 416, 390, 22); };
    EXPECT_TRUE(bekle_ki([&] { return durum().find("Kapand") != std::string::npos; }, 10)) << durum();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(sunucu.istekler(), "");
    EXPECT_TRUE(l.renk_var(380, 526, 90, 18, {0xB8, 0xAE, 0x96}, 25));  // START muted
    ::kill(oyun, SIGTERM);
    yardimci::bekle(oyun, 5);
    EXPECT_TRUE(bekle_ki([&] { return std::filesystem::exists(l.dizin.yol + "/oyun.pak"); }, 15)) << durum();
    EXPECT_EQ(l.kapat_iste(), 0);
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
    // Under the cap the file travels as ranges of half a second's worth: six of 1 MiB.
    std::string beklenen = "dosyalar-linux.txt\ndosyalar-linux.txt\ndosyalar-linux.txt\n";
    for (int i = 0; i < 6; ++i) beklenen += "oyun.pak\n";
    EXPECT_EQ(sunucu.istekler(), beklenen);
    const auto alt = [&] { return l.ekran_yazisi(330, 582, 460, 20); };
    EXPECT_TRUE(bekle_ki([&] { return alt().find("Yedek") != std::string::npos; }, 10)) << alt();
    EXPECT_NE(alt().find(std::to_string(sunucu.port)), std::string::npos) << alt();
}

}  // namespace
