// Pixel arithmetic of the skin: premultiplication, the mipmap chain and scissor boxes.
#include <gtest/gtest.h>

#include "ui/piksel.h"

namespace {

piksel::goruntu dolu(int w, int h) {
    piksel::goruntu g;
    g.genislik = w;
    g.yukseklik = h;
    for (int i = 0; i < w * h * 4; ++i) g.veri.push_back(uint8_t(i * 7 % 251));
    return g;
}

TEST(Piksel, PremultiplyZeroesTransparentAndRoundsDown) {
    uint8_t p[8] = {255, 128, 7, 0, 200, 100, 51, 128};
    piksel::onceden_carp(p, 2, 1);
    EXPECT_EQ(p[0], 0); EXPECT_EQ(p[1], 0); EXPECT_EQ(p[2], 0); EXPECT_EQ(p[3], 0);
    EXPECT_EQ(p[4], 200 * 128 / 255);  // 100
    EXPECT_EQ(p[5], 100 * 128 / 255);  // 50
    EXPECT_EQ(p[6], 51 * 128 / 255);   // 25
    EXPECT_EQ(p[7], 128);
}

TEST(Piksel, OneByOneHasOneLevel) {
    auto zincir = piksel::mip_zinciri(dolu(1, 1));
    ASSERT_EQ(zincir.size(), 1u);
}

TEST(Piksel, FiveByThreeChainAveragesWithoutReadingLastColumn) {
    piksel::goruntu g = dolu(5, 3);
    auto zincir = piksel::mip_zinciri(g);
    ASSERT_EQ(zincir.size(), 3u);
    EXPECT_EQ(zincir[1].genislik, 2); EXPECT_EQ(zincir[1].yukseklik, 1);
    EXPECT_EQ(zincir[2].genislik, 1); EXPECT_EQ(zincir[2].yukseklik, 1);
    auto px = [&](int r, int c, int k) { return unsigned(g.veri[(r * 5 + c) * 4 + k]); };
    for (int x = 0; x < 2; ++x)
        for (int k = 0; k < 4; ++k) {
            unsigned beklenen = (px(0, 2 * x, k) + px(0, 2 * x + 1, k) + px(1, 2 * x, k) + px(1, 2 * x + 1, k) + 2) >> 2;
            EXPECT_EQ(zincir[1].veri[x * 4 + k], beklenen) << x << "," << k;
        }
    // Changing the last column and row of the source must not change level 1.
    piksel::goruntu g2 = g;
    for (int r = 0; r < 3; ++r) g2.veri[(r * 5 + 4) * 4] ^= 0xFF;
    for (int c = 0; c < 5; ++c) g2.veri[(2 * 5 + c) * 4 + 1] ^= 0xFF;
    EXPECT_EQ(piksel::yarila(g2).veri, zincir[1].veri);
    // Level 2 comes from level 1: a 2 x 1 image averages its two texels, rows repeated.
    for (int k = 0; k < 4; ++k) {
        unsigned a = zincir[1].veri[k], b = zincir[1].veri[4 + k];
        EXPECT_EQ(zincir[2].veri[k], (a + b + a + b + 2) >> 2);
    }
}

TEST(Piksel, ScissorBoxRoundsOriginDownAndSizeUp) {
    piksel::kutu k = piksel::kirpma_kutusu(10.2f, 20, 100.1f, 50, 1.5f, 610);
    EXPECT_EQ(k.x, 15);
    EXPECT_EQ(k.y, 810);
    EXPECT_EQ(k.genislik, 151);
    EXPECT_EQ(k.yukseklik, 75);
    piksel::kutu bir = piksel::kirpma_kutusu(392, 242, 346, 36, 1.0f, 610);
    EXPECT_EQ(bir.x, 392); EXPECT_EQ(bir.y, 332); EXPECT_EQ(bir.genislik, 346); EXPECT_EQ(bir.yukseklik, 36);
}

}  // namespace
