// One launcher per installation, with the real launcher under an X server: a second start
// touches nothing and brings the first window back, a killed launcher leaves no stale lock,
// and the self-restart hands the lock to the new executable.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/tekil.h"
#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using yardimci::bekle_ki;
using yardimci::dosya_oku;
using yardimci::komut;

const std::string PENCERE_ARA = "xdotool search --onlyvisible --name '^Morvatan Online$' 2>/dev/null";

int pencere_sayisi() {
    std::string cikti = komut(PENCERE_ARA);
    return int(std::count(cikti.begin(), cikti.end(), '\n'));
}

std::set<std::string> icerik(const std::string& dizin) {
    std::set<std::string> adlar;
    for (auto& e : fs::recursive_directory_iterator(dizin)) adlar.insert(e.path().string());
    return adlar;
}

// True while some process holds the installation's lock.
bool kilitli_mi(const std::string& dizin) {
    int fd = open((dizin + "/launcher.kilit").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool serbest = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return !serbest;
}

pid_t kilit_sahibi(const std::string& dizin) { return pid_t(std::atol(dosya_oku(dizin + "/launcher.kilit").c_str())); }

using yardimci::yasiyor_mu;

// A launcher directory whose update brings `oyun` as oyun.pak from a slow server.
struct kurulum {
    yardimci::gecici_dizin dizin, kayitlar;
    std::string exe;
    explicit kurulum(const std::string& ayarlar) {
        yardimci::calisma_dizini_kur(dizin.yol, true);
        yardimci::dosya_yaz(dizin.yol + "/launcher.ini", ayarlar);
        exe = dizin.yol + "/MorvatanLauncher";
    }
    pid_t baslat(const std::string& ad) { return yardimci::baslat(exe, kayitlar.yol + "/" + ad); }
    std::string hata_metni(const std::string& ad) { return dosya_oku(kayitlar.yol + "/" + ad); }
};

TEST(Tekil, ASecondStartTouchesNothingAndTheGameIsNeverWrong) {
    yardimci::test_sunucusu sunucu;
    std::string oyun(16 << 20, '\0');
    for (size_t i = 0; i < oyun.size(); ++i) oyun[i] = char((i * 7 + i / 4099) % 251);
    sunucu.hata("yavas", "oyun.pak");  // about five seconds
    sunucu.yayinla({{"oyun.pak", oyun}});
    // What the first launcher itself may create meanwhile (its crash-safe writes included).
    const std::set<std::string> ilkinin = {"oyun.pak", "oyun.pak.indir", "guncelleme.cache", "guncelleme.cache.yeni",
                                           "launcher.ini", "launcher.ini.yeni"};
    for (int gecikme_ms : {100, 800, 2000}) {
        SCOPED_TRACE("second start after " + std::to_string(gecikme_ms) + " ms");
        kurulum k("guncelleme=" + sunucu.adres() + "\n");
        sunucu.istekleri_temizle();
        const auto bas = std::chrono::steady_clock::now();
        pid_t ilk = k.baslat("ilk.txt");
        ASSERT_TRUE(bekle_ki([&] { return kilitli_mi(k.dizin.yol); }, 10));
        std::this_thread::sleep_until(bas + std::chrono::milliseconds(gecikme_ms));

        const std::set<std::string> once = icerik(k.dizin.yol);
        pid_t ikinci = k.baslat("ikinci.txt");
        EXPECT_EQ(yardimci::bekle(ikinci, 10), 0);
        for (const std::string& ad : icerik(k.dizin.yol))
            if (!once.count(ad)) {
                EXPECT_TRUE(ilkinin.count(fs::path(ad).filename().string())) << ad;
            }
        EXPECT_NE(k.hata_metni("ikinci.txt").find("Launcher zaten calisiyor"), std::string::npos);

        // Once under its final name, the game must be exactly the published file.
        ASSERT_TRUE(bekle_ki([&] { return fs::exists(k.dizin.yol + "/oyun.pak"); }, 30)) << k.hata_metni("ilk.txt");
        EXPECT_TRUE(dosya_oku(k.dizin.yol + "/oyun.pak") == oyun);
        EXPECT_FALSE(fs::exists(k.dizin.yol + "/oyun.pak.indir"));
        const std::string id = yardimci::pencere_bul(ilk, 10);
        ASSERT_FALSE(id.empty());
        EXPECT_EQ(pencere_sayisi(), 1);
        EXPECT_EQ(sunucu.istekler(), "dosyalar-linux.txt\noyun.pak\n");  // the second one fetched nothing
        komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
        EXPECT_EQ(yardimci::bekle(ilk, 10), 0);
    }
}

TEST(Tekil, AKilledLauncherLeavesTheNextStartFree) {
    kurulum k("");
    pid_t ilk = k.baslat("ilk.txt");
    ASSERT_FALSE(yardimci::pencere_bul(ilk, 20).empty()) << k.hata_metni("ilk.txt");
    kill(ilk, SIGKILL);
    yardimci::bekle(ilk, 5);
    pid_t sonraki = k.baslat("sonraki.txt");
    const std::string id = yardimci::pencere_bul(sonraki, 20);
    ASSERT_FALSE(id.empty()) << k.hata_metni("sonraki.txt");
    EXPECT_EQ(kilit_sahibi(k.dizin.yol), sonraki);
    EXPECT_TRUE(kilitli_mi(k.dizin.yol));
    komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
    EXPECT_EQ(yardimci::bekle(sonraki, 10), 0);
    EXPECT_FALSE(kilitli_mi(k.dizin.yol));
}

TEST(Tekil, ASecondStartBringsTheHiddenWindowBack) {
    kurulum k("");
    pid_t ilk = k.baslat("ilk.txt");
    const std::string id = yardimci::pencere_bul(ilk, 20);
    ASSERT_FALSE(id.empty()) << k.hata_metni("ilk.txt");
    auto gorunur_mu = [&] { return komut("xwininfo -id " + id).find("IsViewable") != std::string::npos; };
    komut("xdotool windowunmap " + id);
    ASSERT_TRUE(bekle_ki([&] { return !gorunur_mu(); }, 5));
    pid_t ikinci = k.baslat("ikinci.txt");
    EXPECT_EQ(yardimci::bekle(ikinci, 10), 0);
    EXPECT_TRUE(bekle_ki(gorunur_mu, 5));
    komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
    EXPECT_EQ(yardimci::bekle(ilk, 10), 0);
}

// The new executable is the real launcher (with bytes appended, so its digest differs).
TEST(Tekil, TheRestartedLauncherTakesTheLockOver) {
    yardimci::test_sunucusu sunucu;
    const std::string yeni = dosya_oku(std::string(MORVATAN_CALISMA_DIZINI) + "/MorvatanLauncher") + "\nyeni surum\n";
    sunucu.yayinla({{"MorvatanLauncher", yeni}});
    kurulum k("guncelleme=" + sunucu.adres() + "\n");
    pid_t eski = k.baslat("eski.txt");
    EXPECT_EQ(yardimci::bekle(eski, 20), 0) << k.hata_metni("eski.txt");
    pid_t yeni_pid = 0;
    ASSERT_TRUE(bekle_ki([&] {
        yeni_pid = kilit_sahibi(k.dizin.yol);
        return yeni_pid != eski && yeni_pid > 0 && kilitli_mi(k.dizin.yol);
    }, 20));
    const std::string id = yardimci::pencere_bul(yeni_pid, 20);
    ASSERT_FALSE(id.empty());
    EXPECT_TRUE(dosya_oku(k.exe) == yeni);
    EXPECT_EQ(pencere_sayisi(), 1);
    komut(std::string(MORVATAN_KAPATMA_ISTE) + " " + id);
    EXPECT_TRUE(bekle_ki([&] { return !yasiyor_mu(yeni_pid); }, 10));
    EXPECT_FALSE(kilitli_mi(k.dizin.yol));
}

}  // namespace

namespace {

// A lock file left by a run as root: a player's launchers can open it only for reading, and
// flock needs no more, so the second of them still finds the first.
TEST(Tekil, ALockFileThePlayerCannotWriteStillKeepsTwoLaunchersApart) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to leave a lock file another user cannot write";
    yardimci::gecici_dizin d;
    fs::permissions(d.yol, fs::perms::all);
    yardimci::dosya_yaz(d.yol + "/launcher.kilit", "1\n");
    fs::permissions(d.yol + "/launcher.kilit", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                                   fs::perms::others_read);
    int boru[2];
    ASSERT_EQ(pipe(boru), 0);
    // Each launcher is a child that becomes user nobody and takes the lock; the first holds it
    // until the second has tried.
    auto oyuncu = [&](bool ilk) {
        const pid_t pid = fork();
        if (pid != 0) return pid;
        if (chdir(d.yol.c_str()) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
        const tekil::sonuc s = tekil::al();
        if (ilk) {
            char c;
            if (read(boru[0], &c, 1) != 1) _exit(11);
        }
        _exit(s == tekil::sonuc::ALINDI ? 0 : s == tekil::sonuc::BASKASI_CALISIYOR ? 1 : 2);
    };
    const pid_t ilk = oyuncu(true);
    auto tutuyor_mu = [&] {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator("/proc/" + std::to_string(ilk) + "/fd", ec))
            if (fs::read_symlink(e.path(), ec) == d.yol + "/launcher.kilit") return true;
        return false;
    };
    ASSERT_TRUE(yardimci::bekle_ki(tutuyor_mu, 5));
    const pid_t ikinci = oyuncu(false);
    EXPECT_EQ(yardimci::bekle(ikinci, 10), 1);  // another launcher runs
    ASSERT_EQ(write(boru[1], "x", 1), 1);
    EXPECT_EQ(yardimci::bekle(ilk, 10), 0);     // it held the lock
    close(boru[0]);
    close(boru[1]);
}

}  // namespace
