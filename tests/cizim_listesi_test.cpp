// The draw list without a window: what its signature tells apart, and when a pass shows its
// frame (input at once, other changes at most ten times a second, at least once a second).
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

}  // namespace
