// Game launch without a window: the path rules and their failures, the early-failure rule, the child's environment, argument 0, working directory and descriptors (through a
// real child), exit codes 126 and 127; the spawn every child goes through.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/ayarlar.h"
#include "app/pencere.h"
#include "platform/oyun.h"
#include "platform/surec.h"
#include "tests/surec_durumu.h"
#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using yardimci::dosya_oku;

struct OyunBaslat : yardimci::SurecTesti {
    yardimci::gecici_dizin dizin;
    yardimci::dizin_degistir burada{dizin.yol};
    // Starts the game and waits for it; returns its exit code (128 + signal).
    int calistir(const std::string& bilet) {
        metinler::ileti hata;
        EXPECT_TRUE(oyun::baslat(bilet, hata)) << metinler::yaz(hata);
        int durum = 0;
        waitpid(oyun::oyun_pid, &durum, 0);
        oyun::oyun_pid = 0;
        return WIFEXITED(durum) ? WEXITSTATUS(durum) : 128 + WTERMSIG(durum);
    }
};

TEST_F(OyunBaslat, PathRulesAndTheirFailures) {
    metinler::ileti hata;
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata.t, metinler::tur::OYUN_SATIRI_BOS);
    ayar_koy("oyun", "yok/oyun");
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata.t, metinler::tur::OYUN_EKSIK);
    yardimci::dosya_yaz("veri.txt", "calistirilamaz");
    ayar_koy("oyun", "veri.txt");  // there, but not executable
    hata = {};
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata.t, metinler::tur::OYUN_EKSIK);
    ayar_koy("oyun", "bin\\oyun");  // written for another system
    EXPECT_EQ(oyun::program_yolu(), "bin/oyun");
    ayarlar.varsayilan.push_back({"oyun_linux", ""});  // present but empty beats oyun
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata.t, metinler::tur::OYUN_SATIRI_BOS);
}

TEST_F(OyunBaslat, TheChildGetsTheTicketTheServerAnAbsolutePathAndOnlyItsLock) {
    fs::create_directories("bin");
    fs::copy_file(MORVATAN_OYUN_YOKLAMA, "bin/oyun");
    ayar_koy("oyun", "bin\\oyun");
    ayar_koy("sunucu", "oyun.ornek:7777");
    setenv("MORVATAN_BILET", "eski deger", 1);
    int sizan = open("veri.txt", O_CREAT | O_WRONLY, 0644);  // no close-on-exec: must not leak
    ASSERT_EQ(calistir("MV1-bilet;x=1"), 0);
    close(sizan);
    unsetenv("MORVATAN_BILET");
    const std::string yoklama = dosya_oku("oyun_yoklama.txt");
    int diger = 0;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("MORVATAN_", 0) != 0) ++diger;
    EXPECT_EQ(yoklama, "arg0=" + fs::canonical("bin/oyun").string() + "\ncwd=" + fs::current_path().string() +
                           "\nMORVATAN_BILET=MV1-bilet;x=1\nMORVATAN_SUNUCU=oyun.ornek:7777\ndiger=" +
                           std::to_string(diger) + "\nfd=0\nfd=1\nfd=2\nfd=3\n");
}

// While a game holds its lock (its launcher may have been killed), the installation knows: no
// second game starts, and the lock goes with the game.
TEST_F(OyunBaslat, ARunningGameHoldsTheInstallationUntilItEnds) {
    yardimci::dosya_yaz("oyun.sh", "#!/bin/sh\nexec sleep 30\n");
    fs::permissions("oyun.sh", fs::perms::owner_all);
    ayar_koy("oyun", "oyun.sh");
    EXPECT_FALSE(oyun::acik_mi());
    metinler::ileti hata;
    ASSERT_TRUE(oyun::baslat("b", hata)) << metinler::yaz(hata);
    const pid_t ilk = oyun::oyun_pid;
    EXPECT_TRUE(oyun::acik_mi());
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata.t, metinler::tur::OYUN_ACIK);
    EXPECT_EQ(oyun::oyun_pid, ilk);
    kill(ilk, SIGKILL);
    waitpid(ilk, nullptr, 0);
    oyun::oyun_pid = 0;
    EXPECT_FALSE(oyun::acik_mi());
}

TEST_F(OyunBaslat, WorkingDirectoryAndExecFailuresAreExitCodes) {
    fs::create_directories("oyun dizini");
    fs::copy_file(MORVATAN_OYUN_YOKLAMA, "oyun");
    ayar_koy("oyun", "oyun");
    ayar_koy("oyun_klasoru", "oyun dizini");
    EXPECT_EQ(calistir("b"), 0);
    EXPECT_TRUE(fs::exists("oyun dizini/oyun_yoklama.txt"));
    ayar_koy("oyun_klasoru", "olmayan\\dizin");
    EXPECT_EQ(calistir("b"), 126);
    ayar_koy("oyun_klasoru", "");
    yardimci::dosya_yaz("bozuk", "#!/olmayan/yorumlayici\n");
    fs::permissions("bozuk", fs::perms::owner_all);
    ayar_koy("oyun", "bozuk");
    EXPECT_EQ(calistir("b"), 127);
}

// The one spawn of the launcher: a child keeps only the descriptors it is given, a program
// that cannot run ends its child with 127, and a fork that cannot be had is a value.
TEST(Surec, AChildKeepsOnlyItsDescriptorsAndAFailedStartIsAValue) {
    yardimci::gecici_dizin d;
    const int sizan = open((d.yol + "/sizan").c_str(), O_CREAT | O_WRONLY, 0644);  // no close-on-exec
    surec::cocuk c;
    c.yol = MORVATAN_OYUN_YOKLAMA;
    c.klasor = d.yol;
    c.cikis = sizan;  // becomes 1, and is not kept under its own number
    pid_t pid = -1;
    std::string hata;
    ASSERT_TRUE(surec::baslat(c, pid, hata)) << hata;
    int durum = -1;
    waitpid(pid, &durum, 0);
    close(sizan);
    EXPECT_EQ(durum, 0);
    const std::string yoklama = dosya_oku(d.yol + "/oyun_yoklama.txt");
    EXPECT_NE(yoklama.find("\nfd=0\nfd=1\nfd=2\n"), std::string::npos) << yoklama;
    EXPECT_EQ(yoklama.find("fd=3"), std::string::npos) << yoklama;

    c.yol = d.yol + "/olmayan";
    c.cikis = -1;
    ASSERT_TRUE(surec::baslat(c, pid, hata));
    waitpid(pid, &durum, 0);
    EXPECT_EQ(WEXITSTATUS(durum), 127);
    // Apart from the launcher and found through PATH, as xdg-open is.
    yardimci::dosya_yaz(d.yol + "/ac", "#!/bin/sh\necho \"$1\" > acilan.tmp && mv acilan.tmp acilan\n");
    fs::permissions(d.yol + "/ac", fs::perms::owner_all);
    const std::string eski_yol = getenv("PATH");
    setenv("PATH", ("/olmayan:" + d.yol + ":" + eski_yol).c_str(), 1);
    surec::cocuk ayrik;
    ayrik.yol = "ac";
    ayrik.argv = {"ac", "https://ornek.test/"};
    ayrik.klasor = d.yol;
    ayrik.yolda_ara = ayrik.ayrik = true;
    EXPECT_TRUE(surec::baslat(ayrik, pid, hata)) << hata;
    setenv("PATH", eski_yol.c_str(), 1);
    EXPECT_EQ(pid, -1);  // init's child, never ours to reap
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_TRUE(yardimci::bekle_ki([&] { return fs::exists(d.yol + "/acilan"); }, 10));
    EXPECT_EQ(dosya_oku(d.yol + "/acilan"), "https://ornek.test/\n");

    if (geteuid() != 0) GTEST_SKIP() << "needs root to become a user with a process limit";
    const pid_t deneme = fork();
    if (deneme == 0) {
        const rlimit bir{1, 1};
        if (setrlimit(RLIMIT_NPROC, &bir) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(2);
        c.ayrik = false;
        std::string neden;
        pid_t p = -1;
        _exit(!surec::baslat(c, p, neden) && neden.rfind("fork: ", 0) == 0 && p == -1 ? 0 : 1);
    }
    ASSERT_GT(deneme, 0);
    waitpid(deneme, &durum, 0);
    EXPECT_EQ(durum, 0);
}

TEST(OyunKurali, EarlyFailuresAndTheEnvironment) {
    EXPECT_TRUE(oyun::erken_hata_mi(3, 2.0));
    EXPECT_TRUE(oyun::erken_hata_mi(137, 19.99));
    EXPECT_FALSE(oyun::erken_hata_mi(1, 20.0));
    EXPECT_FALSE(oyun::erken_hata_mi(1, 25.0));
    EXPECT_FALSE(oyun::erken_hata_mi(0, 1.0));
    char a[] = "A=1", b[] = "MORVATAN_SUNUCU=eski";
    char* ortam[] = {a, b, nullptr};
    EXPECT_EQ(oyun::ortam_kur(ortam, "t", "s"),
              (std::vector<std::string>{"A=1", "MORVATAN_BILET=t", "MORVATAN_SUNUCU=s"}));
}

}  // namespace
