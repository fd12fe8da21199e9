// Manifest parsing: the first line, versions, comments, the entry fields and every line that
// fails the whole manifest.
#include <gtest/gtest.h>

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

}  // namespace
