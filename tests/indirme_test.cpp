// The small pure rules of a download: the path encoding of a request and the magic numbers
// that make a downloaded file executable.
#include <gtest/gtest.h>

#include "updater/indirme.h"

namespace {

TEST(Indirme, PercentEncodingKeepsOnlyTheSafeSet) {
    EXPECT_EQ(guncelleme::yol_kodla("veri/a b.png"), "veri/a%20b.png");
    EXPECT_EQ(guncelleme::yol_kodla("x+y#z"), "x%2By%23z");
    EXPECT_EQ(guncelleme::yol_kodla("\xC5\x9F"), "%C5%9F");
    EXPECT_EQ(guncelleme::yol_kodla("a-b_c.d~e/f"), "a-b_c.d~e/f");
    EXPECT_EQ(guncelleme::yol_kodla("it's%?"), "it%27s%25%3F");
}

TEST(Indirme, ExecutableMagicNumbers) {
    EXPECT_TRUE(guncelleme::calistirilabilir_mi(0x7F, 'E', 'L', 'F'));
    EXPECT_FALSE(guncelleme::calistirilabilir_mi(0x7F, 'E', 0, 0));
    EXPECT_TRUE(guncelleme::calistirilabilir_mi('#', '!', '/', 0));
    EXPECT_TRUE(guncelleme::calistirilabilir_mi(0xCF, 0xFA, 0, 0));
    EXPECT_TRUE(guncelleme::calistirilabilir_mi(0xCA, 0xFE, 0xBA, 0xBE));
    EXPECT_FALSE(guncelleme::calistirilabilir_mi(0x89, 'P', 'N', 'G'));
}

}  // namespace
