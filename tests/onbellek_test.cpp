// The digest cache file: format, tolerant reading, last line wins, ordering, and the file
// times it stores.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/yardimci.h"
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
                        "99999999999999999999 1 d x\n1 2 d b \n");
    guncelleme::onbellek t;
    guncelleme::onbellek_oku(t);
    ASSERT_EQ(t.size(), 3u);
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
