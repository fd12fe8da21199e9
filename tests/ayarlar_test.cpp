// Settings files: the line rules, lookup order and the rewrite of launcher.ini.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/ayarlar.h"
#include "tests/surec_durumu.h"
#include "tests/yardimci.h"

namespace {

// Runs each test inside its own temporary directory, since ini_yaz writes "launcher.ini" there.
class AyarlarTest : public yardimci::SurecTesti {
protected:
    yardimci::gecici_dizin dizin;
    yardimci::dizin_degistir burada{dizin.yol};
    void oku(const std::string& kisisel, const std::string& varsayilan) {
        yardimci::dosya_yaz("launcher.ini", kisisel);
        yardimci::dosya_yaz("varsayilan.ini", varsayilan);
        ini_oku("launcher.ini", ayarlar.kisisel);
        ini_oku("varsayilan.ini", ayarlar.varsayilan);
    }
};

TEST_F(AyarlarTest, UserFileWinsEvenWithEmptyValue) {
    oku("sunucu=\n", "sunucu=10.0.0.5\nweb=https://morvatan.example\n");
    EXPECT_EQ(ayar_al("sunucu", "127.0.0.1"), "");
    EXPECT_EQ(ayar_al("web", ""), "https://morvatan.example");
    EXPECT_EQ(ayar_al("yok", "yedek"), "yedek");
}

TEST_F(AyarlarTest, LineRulesCommentsSpacesAndSplitAtFirstEquals) {
    oku("# yorum=degil\n  #oyun=a=b\r\nbolumsuz\n[bolum]\n\nanahtar = deger \nsifre=a=b\r\nson=satir", "");
    ASSERT_EQ(ayarlar.kisisel.size(), 4u);
    EXPECT_EQ(ayar_al("  #oyun", ""), "a=b");          // leading spaces: not a comment
    EXPECT_EQ(ayar_al("anahtar ", ""), " deger ");     // nothing is trimmed
    EXPECT_EQ(ayar_al("sifre", ""), "a=b");            // CR LF read like LF
    EXPECT_EQ(ayar_al("son", ""), "satir");            // last line without '\n' counts
    EXPECT_EQ(ayar_al("# yorum", "x"), "x");
}

TEST_F(AyarlarTest, MissingFilesGiveEmptyListsAndFallbacks) {
    ini_oku("yok.ini", ayarlar.kisisel);
    EXPECT_TRUE(ayarlar.kisisel.empty());
    EXPECT_EQ(ayar_al("hatirla", "1"), "1");
    EXPECT_FALSE(hesap_api_var());
}

TEST_F(AyarlarTest, DuplicatesFirstWinsAndRewriteKeepsOrderWithoutDefaults) {
    oku("# not\nsunucu=A\nweb=w\nsunucu=B\n", "kisayol=0\nhesap_api=https://api\n");
    EXPECT_EQ(ayar_al("sunucu", ""), "A");
    ayar_koy("sunucu", "C");
    ayar_koy("kisayol", "1");
    ini_yaz();
    EXPECT_EQ(yardimci::dosya_oku("launcher.ini"), "sunucu=C\nweb=w\nsunucu=B\nkisayol=1\n");
    EXPECT_EQ(ayar_al("kisayol", ""), "1");
    EXPECT_EQ(ayarlar.varsayilan[0].deger, "0");
    EXPECT_TRUE(hesap_api_var());
}

TEST_F(AyarlarTest, ByteOrderMarkStaysInFirstKey) {
    oku("\xEF\xBB\xBFsunucu=x\n", "");
    EXPECT_EQ(ayar_al("sunucu", "y"), "y");
    EXPECT_EQ(ayar_al("\xEF\xBB\xBFsunucu", "y"), "x");
}

}  // namespace
