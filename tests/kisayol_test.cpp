// The desktop entry: its text and escaping, read back as a desktop environment reads it, and
// that it is written once and only with a HOME.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/pencere.h"
#include "platform/kisayol.h"
#include "tests/surec_durumu.h"
#include "tests/yardimci.h"

namespace fs = std::filesystem;

namespace {

using yardimci::dosya_oku;

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
    yardimci::surec_durumunu_sifirla();
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
