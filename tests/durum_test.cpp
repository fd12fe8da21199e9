// The update state's display rules: the size text and the download-rate smoothing.
#include <gtest/gtest.h>

#include "updater/durum.h"

namespace {

TEST(Durum, SizeTextBoundaries) {
    EXPECT_EQ(boyut_yazisi(0), "0.0 MB");
    EXPECT_EQ(boyut_yazisi(104857599), "100.0 MB");
    EXPECT_EQ(boyut_yazisi(104857600), "100 MB");
    EXPECT_EQ(boyut_yazisi(1073741823), "1024 MB");
    EXPECT_EQ(boyut_yazisi(1073741824), "1.00 GB");
    EXPECT_EQ(boyut_yazisi(-1048576), "-1.0 MB");
}

// A run that reaches INDIRILIYOR before the first frame: the first rate shown must be the
// real one, not one measured from the clock's epoch and then smoothed towards for seconds.
TEST(Durum, FirstRateOfADownloadThatBeganBeforeTheFirstFrameIsTrue) {
    const double HIZ = 8.0 * 1048576;  // bytes per second on the wire
    const double BASLA = 7351.25;      // steady-clock seconds at the first frame
    hiz_olcumu h;
    double ilk = 0;
    for (int kare = 0; kare < 240 && ilk == 0; ++kare) {
        const double t = BASLA + kare / 60.0;
        hiz_guncelle(h, guncelleme::INDIRILIYOR, int64_t(HIZ * (t - BASLA + 0.4)), t);  // 0.4 s already in
        ilk = h.hiz;
    }
    EXPECT_NEAR(ilk, HIZ, HIZ * 0.1);
    // A sample taken at start-up, before the worker began, measures the first second too.
    hiz_olcumu baslangic;
    hiz_guncelle(baslangic, guncelleme::BASLAMADI, 0, BASLA);
    hiz_guncelle(baslangic, guncelleme::INDIRILIYOR, int64_t(HIZ * 0.95), BASLA + 1.0);
    EXPECT_NEAR(baslangic.hiz, HIZ, HIZ * 0.1);
}

TEST(Durum, RateIsSampledOncePerSecondAndSmoothed) {
    hiz_olcumu h;
    hiz_guncelle(h, guncelleme::DENETLENIYOR, 500, 10.0);
    EXPECT_EQ(h.hiz, 0);
    hiz_guncelle(h, guncelleme::INDIRILIYOR, 900, 10.5);  // under a second: no new sample
    EXPECT_EQ(h.hiz, 0);
    hiz_guncelle(h, guncelleme::INDIRILIYOR, 2500, 12.0);  // 2000 bytes in 2 s
    EXPECT_DOUBLE_EQ(h.hiz, 1000);
    hiz_guncelle(h, guncelleme::INDIRILIYOR, 4500, 13.0);  // 2000 B/s, smoothed
    EXPECT_DOUBLE_EQ(h.hiz, 0.3 * 2000 + 0.7 * 1000);
    hiz_guncelle(h, guncelleme::GUNCEL, 4500, 13.1);
    EXPECT_EQ(h.hiz, 0);
}

}  // namespace
