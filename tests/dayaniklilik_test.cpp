// Crash safety: an update process killed with SIGKILL at random moments of a run that
// replaces files never leaves a target that is neither its old nor its new content.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

TEST(Dayaniklilik, SigkillNeverLeavesAHalfWrittenTarget) {
    yardimci::gecici_dizin kurulum;
    yardimci::test_sunucusu sunucu;
    ASSERT_GT(sunucu.port, 0);
    const int ADET = 6;
    std::vector<std::string> eski(ADET), yeni(ADET);
    std::map<std::string, std::string> yayin;
    for (int i = 0; i < ADET; ++i) {
        eski[i] = std::string(1 << 20, char('a' + i));
        yeni[i] = std::string((1 << 20) + 4096 * i, char('A' + i));
        const std::string yol = "d" + std::to_string(i) + ".bin";
        yayin[yol] = yeni[i];
        sunucu.hata("yavas", yol);
    }
    sunucu.yayinla(yayin);

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

// Settings and the digest cache survive a kill at any moment of a rewrite: what is read
// back is always one whole version, never an empty or cut file.
TEST(Dayaniklilik, SigkillDuringWritesLeavesWholeSettingsAndCache) {
    yardimci::gecici_dizin dizin;
    std::mt19937 rastgele(20261209);
    std::uniform_int_distribution<int> gecikme_us(2000, 60000);
    auto tek_harf = [](const std::string& s, char& harf) {
        if (s.empty()) return false;
        harf = s[0] == 's' ? s[7] : s[s.size() - 2];
        return true;
    };
    int okunan = 0;
    for (int tur = 0; tur < 40; ++tur) {
        pid_t pid = fork();
        if (pid == 0) {
            execl(MORVATAN_YAZMA_DONGUSU, "yazma_dongusu", dizin.yol.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(gecikme_us(rastgele)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const std::string ini = yardimci::dosya_oku(dizin.yol + "/launcher.ini");
        const std::string cache = yardimci::dosya_oku(dizin.yol + "/guncelleme.cache");
        char harf = 0;
        if (tek_harf(ini, harf)) {
            EXPECT_EQ(ini, "sunucu=" + std::string(3000, harf) + "\nkullanici=" + std::string(1, harf) + "\n") << tur;
            ++okunan;
        }
        if (!cache.empty()) {
            EXPECT_EQ(std::count(cache.begin(), cache.end(), '\n'), 2000) << tur;
            EXPECT_EQ(cache.back(), '\n') << tur;
        }
    }
    EXPECT_GT(okunan, 30);  // the loop did get to write most of the time
}

}  // namespace
