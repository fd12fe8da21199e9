// The digest cache file: format, tolerant reading, last line wins, ordering, the file times it
// stores, and the check phase that reads and fills it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/yardimci.h"
#include "updater/isci.h"
#include "updater/onbellek.h"

namespace {

class OnbellekTest : public ::testing::Test {
protected:
    yardimci::gecici_dizin dizin;
    yardimci::dizin_degistir burada{dizin.yol};
};

TEST_F(OnbellekTest, MissingFileIsAnEmptyTable) {
    guncelleme::onbellek t;
    guncelleme::onbellek_oku(t);
    EXPECT_TRUE(t.empty());
}

TEST_F(OnbellekTest, ToleratesBadLinesAndLastLineWins) {
    yardimci::dosya_yaz("guncelleme.cache",
                        "12 34 abc\n12 x abc p\n12 34 abc my file.bin\n5 -6 d1 a\n7 8 d2 a\n"
                        "99999999999999999999 1 d x\n1 2 d b \n+-5 1 d q\n+3 -4 d3 r\n");
    guncelleme::onbellek t;
    guncelleme::onbellek_oku(t);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t["r"].boyut, 3);  // a plus sign is read, a second sign is not
    EXPECT_EQ(t["r"].zaman, -4);
    EXPECT_EQ(t["my file.bin"].boyut, 12);
    EXPECT_EQ(t["my file.bin"].zaman, 34);
    EXPECT_EQ(t["my file.bin"].ozet, "abc");
    EXPECT_EQ(t["a"].ozet, "d2");
    EXPECT_EQ(t.count("b "), 1u);  // a trailing space belongs to the path
}

TEST_F(OnbellekTest, RoundTripInByteOrderOfPaths) {
    guncelleme::onbellek t;
    t["b"] = {1, -5, "x"};
    t["a b"] = {2, 7, "y"};
    t["a"] = {3, 0, "z"};
    t["\xC3\xA7"] = {4, 1, "w"};  // a UTF-8 path sorts after ASCII ones
    guncelleme::onbellek_yaz(t);
    EXPECT_EQ(yardimci::dosya_oku("guncelleme.cache"), "3 0 z a\n2 7 y a b\n1 -5 x b\n4 1 w \xC3\xA7\n");
    guncelleme::onbellek geri;
    guncelleme::onbellek_oku(geri);
    ASSERT_EQ(geri.size(), 4u);
    EXPECT_EQ(geri["a b"].zaman, 7);
    EXPECT_EQ(geri["b"].zaman, -5);
}

// A manifest long enough to be checked on several threads: the stale entries come out in
// manifest order whichever thread found them, and every digest taken lands in the table. An
// unchanged table leaves the file alone (same inode); a changed one replaces it.
TEST_F(OnbellekTest, ALongCheckKeepsManifestOrderAndTheFileIsRewrittenOnlyWhenItChanges) {
    const int adet = 9000;
    guncelleme::liste l;
    for (int i = 0; i < adet; ++i) {
        const std::string yol = "d" + std::to_string(i / 500) + "/f" + std::to_string(i);
        const std::string icerik = "dosya " + std::to_string(i);
        std::filesystem::create_directories(std::filesystem::path(yol).parent_path());
        yardimci::dosya_yaz(yol, icerik);
        l.kayitlar.push_back({yardimci::ozet(icerik), int64_t(icerik.size()), yol});
    }
    guncelleme::onbellek tablo;
    std::vector<const guncelleme::kayit*> eskiler;
    int64_t toplam = 0;
    ASSERT_TRUE(guncelleme::denetle(l, tablo, eskiler, toplam));
    EXPECT_TRUE(eskiler.empty());
    ASSERT_EQ(tablo.size(), size_t(adet));
    guncelleme::onbellek_yaz(tablo);
    struct stat once, sonra;
    ASSERT_EQ(::stat("guncelleme.cache", &once), 0);

    const std::vector<int> degisen = {10, 3000, 5000, 7000, 8999};
    for (int i : degisen) yardimci::dosya_yaz(l.kayitlar[size_t(i)].yol, i == 7000 ? "kisa" : "bozuk " + std::to_string(i));
    for (int i : degisen) {  // a later time than the record's, whatever the clock's resolution
        const auto yol = l.kayitlar[size_t(i)].yol;
        std::filesystem::last_write_time(yol, std::filesystem::last_write_time(yol) + std::chrono::seconds(5));
    }
    std::filesystem::remove(l.kayitlar[4000].yol);
    guncelleme::onbellek tablo2 = guncelleme::onbellegi_oku();
    guncelleme::onbellek_yaz(tablo2);
    ASSERT_EQ(::stat("guncelleme.cache", &sonra), 0);
    EXPECT_EQ(sonra.st_ino, once.st_ino);  // nothing changed: not written again

    eskiler.clear();
    toplam = 0;
    ASSERT_TRUE(guncelleme::denetle(l, tablo2, eskiler, toplam));
    std::vector<int> bulunan;
    for (const guncelleme::kayit* e : eskiler) bulunan.push_back(int(e - l.kayitlar.data()));
    EXPECT_EQ(bulunan, (std::vector<int>{10, 3000, 4000, 5000, 7000, 8999}));
    int64_t beklenen = 0;
    for (int i : bulunan) beklenen += l.kayitlar[size_t(i)].boyut;
    EXPECT_EQ(toplam, beklenen);
    EXPECT_EQ(tablo2[l.kayitlar[3000].yol].ozet, yardimci::ozet("bozuk 3000"));
    EXPECT_EQ(tablo2[l.kayitlar[7000].yol].boyut, 10);  // a wrong size is stale without a digest
    EXPECT_EQ(tablo2[l.kayitlar[11].yol].ozet, l.kayitlar[11].ozet);
    guncelleme::onbellek_yaz(tablo2);
    ASSERT_EQ(::stat("guncelleme.cache", &sonra), 0);
    EXPECT_NE(sonra.st_ino, once.st_ino);
    guncelleme::onbellek geri = guncelleme::onbellegi_oku();
    EXPECT_EQ(geri[l.kayitlar[8999].yol].ozet, yardimci::ozet("bozuk 8999"));
}

TEST_F(OnbellekTest, FileTimeMatchesTheStandardLibraryClock) {
    yardimci::dosya_yaz("f", "12345");
    int64_t boyut = 0, zaman = 0;
    ASSERT_TRUE(guncelleme::dosya_bilgisi("f", boyut, zaman));
    EXPECT_EQ(boyut, 5);
    EXPECT_EQ(zaman, std::filesystem::last_write_time("f").time_since_epoch().count());
    EXPECT_FALSE(guncelleme::dosya_bilgisi(".", boyut, zaman));   // a directory
    EXPECT_FALSE(guncelleme::dosya_bilgisi("yok", boyut, zaman));
}

}  // namespace
