// Manifest parsing and the small pure rules of the updater: path encoding, the executable
// test, the size text and the download-rate smoothing.
#include <gtest/gtest.h>

#include "updater/durum.h"
#include "updater/indirme.h"
#include "updater/liste.h"

namespace {

using guncelleme::liste;
using guncelleme::liste_coz;
using guncelleme::liste_sonucu;

const std::string D(64, 'a');  // a digest-shaped text

liste_sonucu coz(const std::string& govde, liste* cikti = nullptr) {
    liste l;
    liste_sonucu s = liste_coz(govde, l);
    if (cikti) *cikti = l;
    return s;
}

TEST(Liste, FirstLineIsAPrefixAndRequired) {
    EXPECT_EQ(coz("morvatan-liste 1\n"), liste_sonucu::TAMAM);
    EXPECT_EQ(coz("morvatan-liste 12\n"), liste_sonucu::TAMAM);
    EXPECT_EQ(coz("morvatan-liste 1\r\n" + D + " 3 a\r\n"), liste_sonucu::TAMAM);
    EXPECT_EQ(coz(""), liste_sonucu::BOZUK);
    EXPECT_EQ(coz("\nmorvatan-liste 1\n"), liste_sonucu::BOZUK);
    EXPECT_EQ(coz("morvatan-liste 2\n"), liste_sonucu::BOZUK);
}

TEST(Liste, VersionBlankCommentAndShortLines) {
    liste l;
    ASSERT_EQ(coz("morvatan-liste 1\nsurum 1.4.2\n\n# " + D + " 1 x\nfoo\nfoo bar\nsurum\n", &l),
              liste_sonucu::TAMAM);
    EXPECT_TRUE(l.kayitlar.empty());
    EXPECT_TRUE(l.surum_var);
    EXPECT_EQ(l.surum, "1.4.2");
    ASSERT_EQ(coz("morvatan-liste 1\nsurum 1\nsurum \n", &l), liste_sonucu::TAMAM);
    EXPECT_EQ(l.surum, "");
    // A version met before a bad line is still reported.
    ASSERT_EQ(coz("morvatan-liste 1\nsurum 9\nabc 1 x\n", &l), liste_sonucu::GECERSIZ_SATIR);
    EXPECT_EQ(l.surum, "9");
}

TEST(Liste, EntryFieldsAreNotTrimmedAndSizesReadLikeStrtoll) {
    liste l;
    ASSERT_EQ(coz("morvatan-liste 1\n" + D + " 12abc veri/a b.png\n" + D + " abc a/b\n" + D +
                      "  5 x\n" + D + " 7 son \n",
                  &l),
              liste_sonucu::TAMAM);
    ASSERT_EQ(l.kayitlar.size(), 4u);
    EXPECT_EQ(l.kayitlar[0].boyut, 12);
    EXPECT_EQ(l.kayitlar[0].yol, "veri/a b.png");
    EXPECT_EQ(l.kayitlar[1].boyut, 0);
    EXPECT_EQ(l.kayitlar[1].yol, "a/b");
    EXPECT_EQ(l.kayitlar[2].boyut, 0);   // empty size text
    EXPECT_EQ(l.kayitlar[2].yol, "5 x");  // the path starts with the size text
    EXPECT_EQ(l.kayitlar[3].yol, "son ");
    EXPECT_EQ(coz("morvatan-liste 1\n" + D + " 1125899906842624 x\n", &l), liste_sonucu::TAMAM);  // 1 PiB
    // Sizes whose sum no 64-bit total holds: the run's totals would overflow.
    std::string dev;
    for (int i = 0; i < 8192; ++i) dev += D + " 1125899906842624 x\n";
    EXPECT_EQ(coz("morvatan-liste 1\n" + dev), liste_sonucu::BOZUK);
}

TEST(Liste, InvalidEntriesFailTheWholeManifest) {
    const std::string bas = "morvatan-liste 1\n";
    for (const std::string& satir :
         {std::string("abc 3 x"), D + " -1 x", D + " 1 ../x", D + " 1 a/./b", D + " 1 a//b", D + " 1 /etc/x",
          D + " 1 C:x", D + " 1 a/b:c", D + " 1 \\x", D + " 1 ", D + " 1 a/..", " " + D + " 1",
          std::string(65, 'a') + " 1 x", D + " 1 a/b/", D + " 1 a" + std::string(1, '\0') + "b",
          // a saturated size would overflow every range and limit built from it
          D + " 99999999999999999999 x", D + " 1125899906842625 x"})
        EXPECT_EQ(coz(bas + satir + "\n"), liste_sonucu::GECERSIZ_SATIR) << satir;
    // A name the launcher's ".indir" would push past the file system's 255 bytes.
    liste l;
    EXPECT_EQ(coz(bas + D + " 1 veri/" + std::string(249, 'n') + "\n"), liste_sonucu::TAMAM);
    EXPECT_EQ(coz(bas + D + " 1 veri/" + std::string(250, 'n') + "/x\n", &l), liste_sonucu::UZUN_AD);
    EXPECT_EQ(l.uzun_ad, "veri/" + std::string(250, 'n') + "/x");
    EXPECT_EQ(coz(bas + D + " 1 a\\b\n"), liste_sonucu::TAMAM);  // later backslashes are ordinary
}

TEST(Yollar, PercentEncodingKeepsOnlyTheSafeSet) {
    EXPECT_EQ(guncelleme::yol_kodla("veri/a b.png"), "veri/a%20b.png");
    EXPECT_EQ(guncelleme::yol_kodla("x+y#z"), "x%2By%23z");
    EXPECT_EQ(guncelleme::yol_kodla("\xC5\x9F"), "%C5%9F");
    EXPECT_EQ(guncelleme::yol_kodla("a-b_c.d~e/f"), "a-b_c.d~e/f");
    EXPECT_EQ(guncelleme::yol_kodla("it's%?"), "it%27s%25%3F");
}

TEST(Yollar, ExecutableMagicNumbers) {
    EXPECT_TRUE(guncelleme::calistirilabilir_mi(0x7F, 'E', 'L', 'F'));
    EXPECT_FALSE(guncelleme::calistirilabilir_mi(0x7F, 'E', 0, 0));
    EXPECT_TRUE(guncelleme::calistirilabilir_mi('#', '!', '/', 0));
    EXPECT_TRUE(guncelleme::calistirilabilir_mi(0xCF, 0xFA, 0, 0));
    EXPECT_TRUE(guncelleme::calistirilabilir_mi(0xCA, 0xFE, 0xBA, 0xBE));
    EXPECT_FALSE(guncelleme::calistirilabilir_mi(0x89, 'P', 'N', 'G'));
}

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
