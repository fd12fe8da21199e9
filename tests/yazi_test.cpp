// Text with the real fonts and no display: code points, UTF-8, measuring with kerning and
// tracking, the cache key, the scale rule for measuring, and word wrap.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/yardimci.h"
#include "ui/cizim.h"
#include "ui/doku.h"
#include "ui/yazi.h"

namespace {

class YaziTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        yardimci::dizin_degistir kaynak(MORVATAN_KAYNAK_DIZINI);
        ASSERT_TRUE(yazi::yukle());
    }
    static yazi::atlas paket(int font, float px, float s = 1.0f) {
        yazi::atlas a;
        std::vector<unsigned char> bitmap;
        olcek = s;
        yazi::atlas_paketle(font, px, s, a, bitmap);
        return a;
    }
    void TearDown() override { olcek = 1.0f; }
};

TEST_F(YaziTest, CodePointListAndTurkishLettersMeasure) {
    ASSERT_EQ(yazi::kod_noktalari().size(), 205u);
    yazi::atlas a = paket(yazi::GOVDE, 18);
    EXPECT_EQ(a.width, a.height);
    EXPECT_GT(a.ascent, 0);
    EXPECT_LT(a.descent, 0);
    for (const char* harf : {"İ", "Ş", "Ğ", "ı", "ş", "ğ", "ü", "ö", "ç", "–", "“", "•", "…", "·"})
        EXPECT_GT(yazi::genislik(a, harf, 0), 1.0f) << harf;
    EXPECT_FLOAT_EQ(yazi::genislik(a, "a\xE2\x82\xAC" "b", 0), yazi::genislik(a, "ab", 0));  // euro skipped
    EXPECT_EQ(yazi::genislik(a, "", 3), 0);
    yazi::atlas b = paket(yazi::BASLIK, 13);
    EXPECT_GT(yazi::genislik(b, "GÜNCELLEME BAŞARISIZ", 0), 100);
}

TEST_F(YaziTest, TrackingAddsPerDrawnGlyphAndKerningApplies) {
    yazi::atlas a = paket(yazi::GOVDE, 18);
    const std::string s = "Şifre\xE2\x82\xAC ağ";  // 8 drawable code points, the euro is not
    EXPECT_NEAR(yazi::genislik(a, s, 2.5f) - yazi::genislik(a, s, 0), 8 * 2.5f, 1e-3);
    // The fonts carry kerning: a kerned pair is narrower than its letters apart.
    yazi::atlas b = paket(yazi::BASLIK, 20);
    EXPECT_LT(yazi::genislik(b, "AV", 0), yazi::genislik(b, "A", 0) + yazi::genislik(b, "V", 0) - 0.5f);
}

// Only glyphs that can show are recorded: a line of a million letters costs about as many
// quads as fit in its clip or on the canvas (a hostile news feed cannot freeze the window),
// a line outside the clip costs none, and the visible part is all there.
TEST_F(YaziTest, OnlyGlyphsThatCanShowAreRecorded) {
    yazi::atlas a = paket(yazi::GOVDE, 15);
    const std::string uzun(1 << 20, 'x');
    const double harf = yazi::genislik(a, "x", 0);
    const auto kayit = [&](auto&& ciz) {
        cizim::baslat(800, 610, 800, 610);
        ciz();
        size_t n = 0;
        for (const cizim::komut& k : cizim::kare.komutlar) n += k.tur == cizim::DORTGEN;
        return double(n);
    };
    const double kutuda = kayit([&] {
        kirp(380, 358, 200, 23);
        yazi::yaz(a, uzun, 0xFFFFFF, yazi::HALE, 380, 372, 0);
    });
    EXPECT_GE(kutuda, 6 * (200 / harf - 1));  // six passes of the halo, each filling the box
    EXPECT_LE(kutuda, 6 * (200 / harf + 4));
    EXPECT_EQ(kayit([&] {
        kirp(380, 358, 200, 23);
        yazi::yaz(a, uzun, 0xFFFFFF, yazi::DUZ, 380, 500, 0);
    }), 0);
    EXPECT_LE(kayit([&] { yazi::yaz(a, uzun, 0xFFFFFF, yazi::DUZ, 0, 300, 0); }), 800 / harf + 4);
}

TEST_F(YaziTest, CacheKeyTruncatesTenths) {
    EXPECT_EQ(yazi::anahtar(yazi::GOVDE, 13.0f), 10130);
    EXPECT_EQ(yazi::anahtar(yazi::GOVDE, 13.04f), 10130);
    EXPECT_EQ(yazi::anahtar(yazi::GOVDE, 13.1f), 10131);
    EXPECT_EQ(yazi::anahtar(yazi::BASLIK, 20.0f), 200);
}

TEST_F(YaziTest, DoubleScaleKeepsLogicalWidth) {
    const std::string s = "Güncellemeler denetleniyor...";
    const float bir = yazi::genislik(paket(yazi::GOVDE, 13, 1.0f), s, 0);
    yazi::atlas iki = paket(yazi::GOVDE, 13, 2.0f);
    EXPECT_NEAR(yazi::genislik(iki, s, 0), bir, bir * 0.01f);
    EXPECT_GE(iki.width, 512);
}

TEST_F(YaziTest, Utf8IsLenientAndNeverReadsPastTheEnd) {
    std::string s = "a\xC4\x9F\xE2\x80";  // a, ğ, a cut-off 3-byte sequence
    size_t i = 0;
    EXPECT_EQ(yazi::utf8_coz(s, i), 'a');
    EXPECT_EQ(yazi::utf8_coz(s, i), 0x011F);
    EXPECT_EQ(yazi::utf8_coz(s, i), (0x2 << 6) | 0x0);  // partial value
    EXPECT_EQ(i, s.size());
    std::string stray = "\x9F";
    i = 0;
    EXPECT_EQ(yazi::utf8_coz(stray, i), 0x1F);
    EXPECT_EQ(i, 1u);
}

TEST_F(YaziTest, WordWrapRules) {
    yazi::atlas a = paket(yazi::GOVDE, 18);
    const float w = yazi::genislik(a, "Sunucuya", 0);
    auto satirlar = yazi::sar("Sunucuya ulaşılamadı", a, w + 5);
    ASSERT_EQ(satirlar.size(), 2u);
    EXPECT_EQ(satirlar[0], "Sunucuya");
    EXPECT_EQ(satirlar[1], "ulaşılamadı");
    EXPECT_EQ(yazi::sar("a\n\nb", a, 356), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(yazi::sar("Çokuzunbirkelimeaslabolunmez", a, 20), (std::vector<std::string>{"Çokuzunbirkelimeaslabolunmez"}));
    EXPECT_EQ(yazi::sar("iki  bosluk", a, 356), (std::vector<std::string>{"iki  bosluk"}));
    EXPECT_EQ(yazi::sar("son\n", a, 356), (std::vector<std::string>{"son"}));
    EXPECT_TRUE(yazi::sar("", a, 356).empty());
}

}  // namespace
