// The draw list without a window: what its signature tells apart, when a pass shows its frame
// (input at once, other changes at most ten times a second) and which part of it it redraws.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/pencere.h"
#include "ui/cizim.h"
#include "ui/doku.h"

namespace {

uint64_t kare_imzasi(const std::function<void()>& ciz, int fb = 800) {
    tuvali_kur(fb, 610);
    ciz();
    return cizim::imza(cizim::kare);
}

TEST(CizimListesi, TheSignatureTellsEveryVisibleDifferenceApart) {
    doku d;
    d.tex = 7;
    auto temel = [&] {
        doku_ciz(d, 10, 20, 100, 50, 1.0f);
        kirp(0, 0, 200, 100);
        dikdortgen_ciz(0x112233, 5, 5, 10, 10, 0.2f, 0.8f);
        kirpmayi_bitir();
    };
    const uint64_t a = kare_imzasi(temel);
    EXPECT_EQ(kare_imzasi(temel), a);  // the same frame twice: nothing to draw
    EXPECT_EQ(cizim::kare.komutlar.size(), 4u);
    EXPECT_NE(kare_imzasi(temel, 1600), a);  // another framebuffer size
    const std::vector<std::function<void()>> farklar = {
        [&] { doku_ciz(d, 10, 20, 100, 50, 0.99f); },
        [&] { doku_ciz(d, 10, 21, 100, 50, 1.0f); },
        [&] { d.tex = 8; doku_ciz(d, 10, 20, 100, 50, 1.0f); d.tex = 7; },
        [&] { dikdortgen_ciz(0x112234, 5, 5, 10, 10, 0.2f, 0.8f); },
        [&] { kirp(0, 0, 200, 101); },
        [&] { kirpmayi_bitir(); },
    };
    std::set<uint64_t> gorulen = {a};
    for (size_t i = 0; i < farklar.size(); ++i) {
        const uint64_t b = kare_imzasi([&] { temel(); farklar[i](); });
        EXPECT_TRUE(gorulen.insert(b).second) << "difference " << i;
    }
    // The order of two overlapping quads decides which one is on top.
    const uint64_t once = kare_imzasi([&] { dikdortgen_ciz(1, 0, 0, 9, 9, 1, 1); dikdortgen_ciz(2, 0, 0, 9, 9, 1, 1); });
    const uint64_t sonra = kare_imzasi([&] { dikdortgen_ciz(2, 0, 0, 9, 9, 1, 1); dikdortgen_ciz(1, 0, 0, 9, 9, 1, 1); });
    EXPECT_NE(once, sonra);
}

TEST(CizimListesi, WhenAPassShowsItsFrame) {
    using cizim::gosterilsin_mi;
    cizim::gosterim g;
    EXPECT_TRUE(gosterilsin_mi(g, 1, false, 0.0));  // the first frame
    g = cizim::gosterim{1, 10.0, false};
    EXPECT_FALSE(gosterilsin_mi(g, 1, false, 10.5));  // nothing changed
    EXPECT_FALSE(gosterilsin_mi(g, 1, true, 10.5));   // a pointer move that changes nothing
    EXPECT_FALSE(gosterilsin_mi(g, 1, false, 39.9));  // nothing changed for half a minute...
    EXPECT_TRUE(gosterilsin_mi(g, 1, false, 40.0));   // ...then shown again all the same
    EXPECT_TRUE(gosterilsin_mi(g, 2, true, 10.01));   // input shows at once
    EXPECT_FALSE(gosterilsin_mi(g, 2, false, 10.05)); // counters wait for a tenth of a second
    EXPECT_TRUE(gosterilsin_mi(g, 2, false, 10.11));
    g.zorla = true;                                   // exposed, or shown again after the game
    EXPECT_TRUE(gosterilsin_mi(g, 1, false, 10.01));

    // Building the frame: after input or when forced at once, otherwise ten times a second.
    g = cizim::gosterim{1, 10.0, false, 10.0};
    EXPECT_FALSE(cizim::kaydedilsin_mi(g, false, 10.05));
    EXPECT_TRUE(cizim::kaydedilsin_mi(g, true, 10.05));
    EXPECT_TRUE(cizim::kaydedilsin_mi(g, false, 10.11));
    g.zorla = true;
    EXPECT_TRUE(cizim::kaydedilsin_mi(g, false, 10.01));
}

// A frame like the update's: a still background, a clipped bar that grows and a counter.
cizim::liste sahne(float dolu, const char* sayac_genisligi) {
    tuvali_kur(800, 610);
    dikdortgen_ciz(0x203040, 0, 0, 800, 610, 1, 1);
    kirp(400, 450, 300 * dolu, 20);
    dikdortgen_ciz(0xC0A060, 400, 450, 300, 20, 1, 1);
    kirpmayi_bitir();
    for (const char* c = sayac_genisligi; *c; ++c) dikdortgen_ciz(0xFFFFFF, 500 + 7 * float(c - sayac_genisligi), 420, 6, 12, 1, 1);
    dikdortgen_ciz(0x805020, 360, 520, 130, 40, 1, 1);  // a button after them
    return cizim::kare;
}

TEST(CizimListesi, APassRedrawsOnlyWhatChanged) {
    cizim::alan a;
    const cizim::liste eski = sahne(0.5f, "1234");
    ASSERT_TRUE(cizim::degisen_alan(eski, sahne(0.5f, "1234"), a));
    EXPECT_EQ(a.genislik * a.yukseklik, 0);  // the same frame

    // The bar's clip grows from 150 to 180 units: the bar up to its new end, though the quad
    // under the clip is the same command in both frames, and nothing past it.
    ASSERT_TRUE(cizim::degisen_alan(eski, sahne(0.6f, "1234"), a));
    EXPECT_LE(a.x, 550); EXPECT_GE(a.x, 400);
    EXPECT_GE(a.x + a.genislik, 580); EXPECT_LE(a.x + a.genislik, 582);
    EXPECT_LE(a.y, 610 - 470); EXPECT_GE(a.y, 610 - 472);
    EXPECT_GE(a.y + a.yukseklik, 610 - 450); EXPECT_LE(a.y + a.yukseklik, 610 - 448);

    // A counter one glyph longer: its quads from the first that moved, not the button after.
    ASSERT_TRUE(cizim::degisen_alan(eski, sahne(0.5f, "12345"), a));
    EXPECT_LE(a.x, 528); EXPECT_GE(a.x + a.genislik, 534);
    EXPECT_LE(a.y, 610 - 432); EXPECT_GE(a.y + a.yukseklik, 610 - 420);
    EXPECT_GT(a.y, 610 - 520);  // the button lies below it, untouched

    // A quad that changed wholly outside its clip changes no pixel.
    tuvali_kur(800, 610);
    kirp(10, 10, 20, 20);
    dikdortgen_ciz(0xFF0000, 100, 100, 5, 5, 1, 1);
    kirpmayi_bitir();
    const cizim::liste gizli = cizim::kare;
    cizim::kare.komutlar[1].ust[0] = 0.5f;
    ASSERT_TRUE(cizim::degisen_alan(gizli, cizim::kare, a));
    EXPECT_EQ(a.genislik * a.yukseklik, 0);

    // Another framebuffer size: the whole frame.
    tuvali_kur(1600, 1220);
    EXPECT_FALSE(cizim::degisen_alan(eski, cizim::kare, a));

    // Forced, or shown EN_UZUN_ARA ago: all of it, whatever changed.
    cizim::gosterim g;
    g.ekrandaki = eski;
    g.zorla = false;
    g.zaman = 10.0;
    const cizim::liste yeni = sahne(0.6f, "1234");
    EXPECT_LT(cizim::cizilecek_alan(g, yeni, 10.5).genislik, 800);
    EXPECT_EQ(cizim::cizilecek_alan(g, yeni, 10.0 + cizim::EN_UZUN_ARA).genislik, 800);
    g.zorla = true;
    const cizim::alan hepsi = cizim::cizilecek_alan(g, yeni, 10.5);
    EXPECT_EQ(hepsi.x, 0); EXPECT_EQ(hepsi.y, 0); EXPECT_EQ(hepsi.genislik, 800); EXPECT_EQ(hepsi.yukseklik, 610);
}

}  // namespace
