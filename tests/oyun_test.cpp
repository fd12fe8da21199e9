// Game launch without a window: the path rules and failure texts, the early-failure rule and
// its text, the child's environment, argument 0, working directory and descriptors (through a
// real child), exit codes 126 and 127.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/ayarlar.h"
#include "app/pencere.h"
#include "platform/oyun.h"
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
        std::string hata;
        EXPECT_TRUE(oyun::baslat(bilet, hata)) << hata;
        int durum = 0;
        waitpid(oyun::oyun_pid, &durum, 0);
        oyun::oyun_pid = 0;
        return WIFEXITED(durum) ? WEXITSTATUS(durum) : 128 + WTERMSIG(durum);
    }
};

TEST_F(OyunBaslat, PathRulesAndTheirFailureTexts) {
    std::string hata;
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata, "launcher.ini içinde oyun= satırı boş.");
    ayar_koy("oyun", "yok/oyun");
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata, "Oyun dosyaları eksik. Güncellemenin bitmesini bekle ya da launcher'ı yeniden aç.");
    yardimci::dosya_yaz("veri.txt", "calistirilamaz");
    ayar_koy("oyun", "veri.txt");  // there, but not executable
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata, "Oyun dosyaları eksik. Güncellemenin bitmesini bekle ya da launcher'ı yeniden aç.");
    ayar_koy("oyun", "bin\\oyun");  // written for another system
    EXPECT_EQ(oyun::program_yolu(), "bin/oyun");
    ayarlar.varsayilan.push_back({"oyun_linux", ""});  // present but empty beats oyun
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata, "launcher.ini içinde oyun= satırı boş.");
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
    std::string hata;
    ASSERT_TRUE(oyun::baslat("b", hata)) << hata;
    const pid_t ilk = oyun::oyun_pid;
    EXPECT_TRUE(oyun::acik_mi());
    EXPECT_FALSE(oyun::baslat("b", hata));
    EXPECT_EQ(hata, oyun::OYUN_ACIK_METNI);
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

TEST(OyunKurali, EarlyFailuresAndTheirText) {
    EXPECT_TRUE(oyun::erken_hata_mi(3, 2.0));
    EXPECT_TRUE(oyun::erken_hata_mi(137, 19.99));
    EXPECT_FALSE(oyun::erken_hata_mi(1, 20.0));
    EXPECT_FALSE(oyun::erken_hata_mi(1, 25.0));
    EXPECT_FALSE(oyun::erken_hata_mi(0, 1.0));
    EXPECT_EQ(oyun::erken_hata_metni(3), "Oyun açılırken kapandı (çıkış kodu 0x00000003). Bu kodu Velmor'a gönder.");
    EXPECT_EQ(oyun::erken_hata_metni(139), "Oyun açılırken kapandı (çıkış kodu 0x0000008B). Bu kodu Velmor'a gönder.");
    char a[] = "A=1", b[] = "MORVATAN_SUNUCU=eski";
    char* ortam[] = {a, b, nullptr};
    EXPECT_EQ(oyun::ortam_kur(ortam, "t", "s"),
              (std::vector<std::string>{"A=1", "MORVATAN_BILET=t", "MORVATAN_SUNUCU=s"}));
}

}  // namespace
