// The server link inside the real launcher under an X server, against the real reference
// game server: the status and news on the main screen, a closed server without a box, the
// settings dialog, the server road into the demo game with no password left in memory, and a
// window that keeps working while a host name takes five seconds to look up.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <thread>

#include "tests/launcher_penceresi.h"
#include "tests/yardimci.h"

namespace {

using launcher_penceresi::calisan_launcher;
using launcher_penceresi::rgb;
using yardimci::bekle_ki;
using yardimci::dosya_oku;
using yardimci::komut;

std::string alt_satir(const calisan_launcher& l) { return l.ekran_yazisi(560, 582, 230, 20); }

TEST(SunucuPenceresi, StatusAndNewsFromTheServerAndNoFurtherQueries) {
    yardimci::oyun_sunucusu s;
    calisan_launcher l("sunucu=" + s.adres() + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    ASSERT_TRUE(bekle_ki([&] { return alt_satir(l).find("Sunucu A") != std::string::npos; }, 10)) << alt_satir(l);
    EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(370, 320, 400, 90, false).find("Bak") != std::string::npos; }, 5))
        << l.ekran_yazisi(370, 320, 400, 90, false);  // a headline
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(dosya_oku(s.kayit), "durum\n");  // asked once, in the first pass, then never again
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(SunucuPenceresi, NothingListeningMeansClosedWithoutABox) {
    int bos_port = 0;
    {
        yardimci::oyun_sunucusu gecici;  // a port that was free a moment ago and is again
        bos_port = gecici.port;
    }
    calisan_launcher l("sunucu=127.0.0.1:" + std::to_string(bos_port) + "\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const rgb gok = l.piksel(60, 60);
    ASSERT_TRUE(bekle_ki([&] { return alt_satir(l).find("Kapal") != std::string::npos; }, 16)) << alt_satir(l);
    EXPECT_FALSE(l.kutu_acik(gok));
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(SunucuPenceresi, SettingsDialogStoresTheAddressAndAsksAtOnce) {
    yardimci::oyun_sunucusu s;
    calisan_launcher l("sunucu=10.0.0.5:1\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    auto alan = [&] { return l.ekran_yazisi(292, 260, 220, 28); };
    l.tikla(706, 535);  // AYARLAR
    ASSERT_TRUE(bekle_ki([&] { return alan().find("10.0.0.5:1") != std::string::npos; }, 5)) << alan();
    komut("import -window " + l.id + " " + l.dizin.yol + "/ayarlar.png");
    l.yaz(" /");  // not in the field's class: nothing changes
    EXPECT_NE(alan().find("10.0.0.5:1"), std::string::npos) << alan();
    l.tus("BackSpace");
    l.yaz("2");
    l.tikla(332, 375);  // İPTAL
    l.tikla(706, 535);  // reopened: the stored address, not the edited one
    EXPECT_NE(alan().find("10.0.0.5:1"), std::string::npos) << alan();
    for (int i = 0; i < 10; ++i) l.tus("BackSpace");
    l.yaz(s.adres());
    l.tus("Return");  // saves like KAYDET
    EXPECT_NE(dosya_oku(l.dizin.yol + "/launcher.ini").find("sunucu=" + s.adres() + "\n"), std::string::npos);
    EXPECT_TRUE(bekle_ki([&] { return alt_satir(l).find("Sunucu A") != std::string::npos; }, 5)) << alt_satir(l);
    l.tikla(706, 535);
    for (int i = 0; i < 20; ++i) l.tus("BackSpace");
    l.tikla(468, 375);  // KAYDET with an empty field
    EXPECT_NE(dosya_oku(l.dizin.yol + "/launcher.ini").find("sunucu=127.0.0.1\n"), std::string::npos);
    EXPECT_EQ(l.kapat_iste(), 0);
}

TEST(SunucuPenceresi, ServerRoadIntoTheDemoGameLeavesNoPasswordBehind) {
    yardimci::oyun_sunucusu s("normal", "oyuncu Sv7-Kr2-Pz9q bilet=SV-1;cikis=0;sure=2\n");
    calisan_launcher l("sunucu=" + s.adres() + "\noyun=demo_oyun\n");
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    ASSERT_TRUE(bekle_ki([&] { return alt_satir(l).find("Sunucu A") != std::string::npos; }, 10));
    ASSERT_TRUE(l.paneli_ac());
    l.yaz("oyuncu");
    l.tus("Tab");
    l.yaz("Sv7-Kr2-Pz9q");
    l.tus("Return");
    ASSERT_TRUE(bekle_ki([&] { return !l.gorunur_mu(); }, 10));
    if (yardimci::BELLEK_TARANIR) {
        EXPECT_EQ(yardimci::bellekte_say(l.pid, "Sv7-Kr2-Pz9q"), 0);
    }
    EXPECT_NE(dosya_oku(s.kayit).find("giris oyuncu\n"), std::string::npos);
    // The game ends after 2 s, the closing picture after 5 more, then the launcher itself.
    EXPECT_EQ(yardimci::bekle(l.pid, 20), 0) << l.hata_metni();
}

TEST(SunucuPenceresi, ASlowNameLookupNeverFreezesTheWindow) {
    setenv("LD_PRELOAD", MORVATAN_YAVAS_COZUMLEME, 1);
#if defined(__SANITIZE_ADDRESS__)
    // The shim is not instrumented; a sanitized launcher must accept it ahead of its runtime.
    const char* eski = getenv("ASAN_OPTIONS");
    const std::string asan = eski ? eski : "";
    setenv("ASAN_OPTIONS", (asan + ":verify_asan_link_order=0").c_str(), 1);
#endif
    calisan_launcher l("sunucu=yavas.invalid\n");
    unsetenv("LD_PRELOAD");
#if defined(__SANITIZE_ADDRESS__)
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
#endif
    ASSERT_FALSE(l.id.empty()) << l.hata_metni();
    const auto bas = std::chrono::steady_clock::now();
    l.tikla(706, 535);  // AYARLAR, while the lookup sleeps
    EXPECT_TRUE(bekle_ki([&] { return l.ekran_yazisi(292, 260, 220, 28).find("yavas") != std::string::npos; }, 2));
    EXPECT_LT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(4));
    l.tus("Escape");
    EXPECT_TRUE(bekle_ki([&] { return alt_satir(l).find("Kapal") != std::string::npos; }, 10)) << alt_satir(l);
    EXPECT_EQ(l.kapat_iste(), 0);
}

}  // namespace
