// Game launch without a window: the path rules and failure texts, the early-failure rule and
// its text, the child's environment, argument 0, working directory and descriptors (through a
// real child), exit codes 126 and 127, and the desktop entry with its escaping.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "app/ayarlar.h"
#include "app/pencere.h"
#include "platform/kisayol.h"
#include "platform/oyun.h"
#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using yardimci::dosya_oku;

struct OyunBaslat : ::testing::Test {
    yardimci::gecici_dizin dizin;
    yardimci::dizin_degistir burada{dizin.yol};
    void SetUp() override { ayarlar = ayar_tablosu{}; }
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

TEST_F(OyunBaslat, TheChildGetsTheTicketTheServerAnAbsolutePathAndNoDescriptors) {
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
                           std::to_string(diger) + "\nfd=0\nfd=1\nfd=2\n");
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

// Reads an Exec value back as a desktop environment does: the file's string escapes first,
// then the quoting rules inside double quotes, then %% as a literal percent.
std::string exec_coz(const std::string& deger) {
    std::string dize;
    for (size_t i = 0; i < deger.size(); ++i) {
        if (deger[i] != '\\' || i + 1 == deger.size()) {
            dize += deger[i];
            continue;
        }
        const char e = deger[++i];
        dize += e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == '\\' ? '\\' : '?';
    }
    EXPECT_TRUE(dize.size() >= 2 && dize.front() == '"' && dize.back() == '"') << dize;
    std::string arg;
    for (size_t i = 1; i + 1 < dize.size(); ++i) {
        char c = dize[i];
        if (c == '\\') {
            c = dize[++i];
            EXPECT_TRUE(c == '"' || c == '`' || c == '$' || c == '\\') << dize;
        } else {
            EXPECT_TRUE(c != '"' && c != '`' && c != '$') << dize;  // must have been escaped
        }
        if (c == '%') {
            EXPECT_EQ(dize[i + 1], '%') << dize;
            ++i;
        }
        arg += c;
    }
    return arg;
}

TEST(Kisayol, ExecValuesReadBackAsThePathItself) {
    for (const std::string yol : {"/home/oyuncu/Morvatan Online/MorvatanLauncher", "/opt/100%\"$HOME`x`\\y/MorvatanLauncher",
                                  "/home/ş ğ/MorvatanLauncher"})
        EXPECT_EQ(exec_coz(exec_degeri(yol)), yol);
    EXPECT_EQ(kisayol_metni("/opt/Morvatan Online/MorvatanLauncher"),
              "[Desktop Entry]\nType=Application\nName=Morvatan Online\n"
              "Exec=\"/opt/Morvatan Online/MorvatanLauncher\"\nPath=/opt/Morvatan Online\n"
              "Icon=/opt/Morvatan Online/veri/ikon.png\nCategories=Game;\nTerminal=false\n");
}

TEST(Kisayol, WrittenOnceAndOnlyWithAHome) {
    yardimci::gecici_dizin ev, kurulum;
    yardimci::dizin_degistir burada(kurulum.yol);
    ayarlar = ayar_tablosu{};
    calistirilan_yol = kurulum.yol + "/MorvatanLauncher";
    const std::string eski_ev = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("HOME");
    kisayol_yaz();
    EXPECT_FALSE(fs::exists("launcher.ini"));
    setenv("HOME", ev.yol.c_str(), 1);
    const std::string giris = ev.yol + "/.local/share/applications/morvatan-online.desktop";
    kisayol_yaz();
    EXPECT_EQ(dosya_oku(giris), kisayol_metni(calistirilan_yol));
    EXPECT_EQ(dosya_oku("launcher.ini"), "kisayol=1\n");
    fs::remove(giris);
    kisayol_yaz();  // remembered: never written again, even when deleted
    EXPECT_FALSE(fs::exists(giris));
    setenv("HOME", eski_ev.c_str(), 1);
    calistirilan_yol.clear();
}

}  // namespace
