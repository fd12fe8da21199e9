// Main screen rules without a display: the status line, the bar fraction, START's disabled
// rule and the bottom line.
#include <gtest/gtest.h>

#include "screens/ana_ekran.h"
#include "server/baglanti.h"
#include "updater/durum.h"

namespace {

using ekran::guncelleme_durumu;

TEST(AnaEkran, DownloadLineNeverCountsPastTheTotal) {
    auto g = guncelleme_durumu(guncelleme::INDIRILIYOR, 12, 2, 50 * 1048576LL, 5 * 1048576LL, 2.5 * 1048576);
    EXPECT_EQ(g.metin, "İndiriliyor 3/12 · 5.0 MB / 50.0 MB · 2.5 MB/sn");
    EXPECT_NEAR(g.oran, 0.1f, 1e-6);
    g = guncelleme_durumu(guncelleme::INDIRILIYOR, 12, 12, 100, 100, 0.5);
    EXPECT_EQ(g.metin, "İndiriliyor 12/12 · 0.0 MB / 0.0 MB");  // no speed at or below 1 B/s
    EXPECT_EQ(g.oran, 1.0f);
    g = guncelleme_durumu(guncelleme::INDIRILIYOR, 1, 0, 0, 500, 0);
    EXPECT_EQ(g.oran, 0.0f);  // empty total: empty bar
    g = guncelleme_durumu(guncelleme::INDIRILIYOR, 2, 0, 100, 250, 0);
    EXPECT_EQ(g.oran, 1.0f);  // capped
}

TEST(AnaEkran, StatusTextsForEveryState) {
    EXPECT_EQ(guncelleme_durumu(guncelleme::BASLAMADI, 0, 0, 0, 0, 0).metin, "Güncellemeler denetleniyor...");
    EXPECT_EQ(guncelleme_durumu(guncelleme::DENETLENIYOR, 0, 0, 0, 0, 0).oran, 0.0f);
    EXPECT_EQ(guncelleme_durumu(guncelleme::GUNCEL, 0, 0, 0, 0, 0).metin, "Oyun güncel");
    EXPECT_EQ(guncelleme_durumu(guncelleme::GUNCEL, 0, 0, 0, 0, 0).oran, 1.0f);
    auto b = guncelleme_durumu(guncelleme::BASARISIZ, 0, 0, 0, 0, 0);
    EXPECT_EQ(b.metin, "Güncelleme başarısız · tekrar dene");
    EXPECT_TRUE(b.basarisiz);
    EXPECT_EQ(guncelleme_durumu(guncelleme::YENIDEN_BASLAT, 0, 0, 0, 0, 0).metin, "Launcher yenileniyor...");
    EXPECT_EQ(guncelleme_durumu(9, 0, 0, 0, 0, 0).metin, "");
}

TEST(AnaEkran, StartButtonDisabledRule) {
    for (int32_t s : {guncelleme::BASLAMADI, guncelleme::DENETLENIYOR, guncelleme::INDIRILIYOR, guncelleme::YENIDEN_BASLAT})
        EXPECT_TRUE(ekran::baslat_kapali_mi(s, 0, false)) << s;
    EXPECT_FALSE(ekran::baslat_kapali_mi(guncelleme::GUNCEL, 0, false));
    EXPECT_FALSE(ekran::baslat_kapali_mi(guncelleme::BASARISIZ, 1, false));
    EXPECT_TRUE(ekran::baslat_kapali_mi(guncelleme::GUNCEL, 2, false));   // a server login runs
    EXPECT_TRUE(ekran::baslat_kapali_mi(guncelleme::GUNCEL, 0, true));    // a web login runs
}

TEST(AnaEkran, BottomLineAndNewsStatus) {
    EXPECT_EQ(ekran::alt_satir("", SUNUCU_BAGLANIYOR), "Sürüm 0.1.0 · Sunucu Bağlanıyor");
    EXPECT_EQ(ekran::alt_satir("1.4.2", SUNUCU_ACIK), "Sürüm 1.4.2 · Sunucu Açık");
    EXPECT_EQ(ekran::alt_satir("2", SUNUCU_KAPALI), "Sürüm 2 · Sunucu Kapalı");
    EXPECT_EQ(ekran::alt_satir("2", 7), "Sürüm 2 · Sunucu Bağlanıyor");
    EXPECT_EQ(ekran::alt_satir("2", SUNUCU_ACIK, "yedek.ornek:8080"), "Yedek güncelleme sunucusu yedek.ornek:8080 · Sürüm 2 · Sunucu Açık");
    EXPECT_EQ(ekran::haber_durum_metni(SUNUCU_BAGLANIYOR), "Haberler yükleniyor...");
    EXPECT_EQ(ekran::haber_durum_metni(SUNUCU_KAPALI), "Sunucuya ulaşılamadı, haberler yüklenemedi.");
    EXPECT_EQ(ekran::haber_durum_metni(SUNUCU_ACIK), "");
}

}  // namespace
