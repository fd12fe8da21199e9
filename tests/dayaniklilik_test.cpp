// Crash safety: an update process killed with SIGKILL at random moments of a run that
// replaces files never leaves a target that is neither its old nor its new content.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

TEST(Dayaniklilik, SigkillNeverLeavesAHalfWrittenTarget) {
    yardimci::gecici_dizin kurulum, sunucu_dizini;
    yardimci::test_sunucusu sunucu(sunucu_dizini.yol);
    ASSERT_GT(sunucu.port, 0);
    const int ADET = 6;
    std::string liste = "morvatan-liste 1\n";
    std::vector<std::string> eski(ADET), yeni(ADET);
    for (int i = 0; i < ADET; ++i) {
        eski[i] = std::string(1 << 20, char('a' + i));
        yeni[i] = std::string((1 << 20) + 4096 * i, char('A' + i));
        const std::string yol = "d" + std::to_string(i) + ".bin";
        sunucu.dosya(yol, yeni[i]);
        sunucu.hata("yavas", yol);
        liste += yardimci::ozet(yeni[i]) + " " + std::to_string(yeni[i].size()) + " " + yol + "\n";
    }
    sunucu.dosya("dosyalar-linux.txt", liste);

    std::mt19937 rastgele(20261208);
    std::uniform_int_distribution<int> gecikme_ms(50, 2500);
    for (int tur = 0; tur < 8; ++tur) {
        for (int i = 0; i < ADET; ++i) yardimci::dosya_yaz(kurulum.yol + "/d" + std::to_string(i) + ".bin", eski[i]);
        pid_t pid = fork();
        if (pid == 0) {
            execl(MORVATAN_GUNCELLE_CALISTIR, "guncelle_calistir", kurulum.yol.c_str(), sunucu.adres().c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(gecikme_ms(rastgele)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        for (int i = 0; i < ADET; ++i) {
            std::string icerik = yardimci::dosya_oku(kurulum.yol + "/d" + std::to_string(i) + ".bin");
            EXPECT_TRUE(icerik == eski[i] || icerik == yeni[i]) << "tur " << tur << " dosya " << i;
        }
    }
    // A run after all that still completes and leaves no temporary file under a final name.
    std::string cikti = yardimci::komut(std::string(MORVATAN_GUNCELLE_CALISTIR) + " " + kurulum.yol + " " +
                                        sunucu.adres());
    EXPECT_EQ(cikti, "3\n");
    for (int i = 0; i < ADET; ++i)
        EXPECT_TRUE(yardimci::dosya_oku(kurulum.yol + "/d" + std::to_string(i) + ".bin") == yeni[i]) << i;
    // The killed runs' transfers died with them.
    EXPECT_EQ(yardimci::komut("pgrep -f '[c]url.*:" + std::to_string(sunucu.port) + "/'"), "");
}

}  // namespace
