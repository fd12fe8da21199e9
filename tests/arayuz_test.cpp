// Widgets and keyboard without a display: clicks, layers, disabled buttons, cursor wishes,
// the field classes and limits, Backspace, paste, and what Enter, Escape and Tab do.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "ui/arayuz.h"
#include "ui/girdi.h"
#include "ui/klavye.h"
#include "tests/surec_durumu.h"
#include "ui/metin_alani.h"

namespace {

class ArayuzTest : public yardimci::SurecTesti {
protected:
    void SetUp() override {
        yardimci::SurecTesti::SetUp();
        kullanici_alani.azami = 16;
    }
    void fare(float x, float y) { girdi.fare_x = x; girdi.fare_y = y; }
    void bas() { girdi.basili = girdi.basildi = true; }
    void birak() { girdi.basili = false; girdi.birakildi = true; }
    void kare_sonu() {
        if (girdi.birakildi) girdi.etkin_kimlik = nullptr;
        girdi.basildi = girdi.birakildi = false;
        girdi.el_imleci = girdi.yazi_imleci = false;
    }
    // One frame with two buttons side by side on layer 0.
    std::pair<bool, bool> kare() {
        bool a = arayuz::etkilesim("a", 0, nullptr, nullptr, 0, 0, 100, 50);
        bool b = arayuz::etkilesim("b", 0, nullptr, nullptr, 200, 0, 100, 50);
        kare_sonu();
        return {a, b};
    }
};

TEST_F(ArayuzTest, PressOnOneReleaseOnAnotherClicksNeither) {
    fare(50, 25); bas();
    EXPECT_EQ(kare(), std::make_pair(false, false));
    fare(250, 25); birak();
    EXPECT_EQ(kare(), std::make_pair(false, false));
    bas();
    kare();
    birak();
    EXPECT_EQ(kare(), std::make_pair(false, true));  // press and release on b
}

TEST_F(ArayuzTest, OtherLayersNeitherHoverNorClickAndCursorWishes) {
    girdi.katman = 2;
    fare(50, 25);
    bool uzerinde = true;
    bas();
    EXPECT_FALSE(arayuz::etkilesim("a", 0, &uzerinde, nullptr, 0, 0, 100, 50));
    EXPECT_FALSE(uzerinde);
    EXPECT_FALSE(girdi.el_imleci);
    EXPECT_EQ(girdi.etkin_kimlik, nullptr);  // the press stays free for dragging
    girdi.katman = 0;
    arayuz::etkilesim("a", 0, &uzerinde, nullptr, 0, 0, 100, 50);
    EXPECT_TRUE(uzerinde);
    EXPECT_TRUE(girdi.el_imleci);
    // Right and bottom edges are outside.
    fare(100, 25);
    EXPECT_FALSE(arayuz::etkilesim("a", 0, &uzerinde, nullptr, 0, 0, 100, 50));
    EXPECT_FALSE(uzerinde);
}

TEST_F(ArayuzTest, DisabledButtonTakesThePressButNeverClicks) {
    fare(10, 10); bas();
    arayuz::dugme_hali d = arayuz::dugme_durumu("start", 0, true, 0, 0, 100, 40);
    EXPECT_EQ(d.yuz, 2);
    EXPECT_STREQ(girdi.etkin_kimlik, "start");
    kare_sonu();
    d = arayuz::dugme_durumu("start", 0, true, 0, 0, 100, 40);
    EXPECT_EQ(d.kayma, 1.0f);  // held: the label sits one unit lower
    birak();
    d = arayuz::dugme_durumu("start", 0, true, 0, 0, 100, 40);
    EXPECT_FALSE(d.tiklandi);
    kare_sonu();
    bas();
    arayuz::dugme_durumu("start", 0, false, 0, 0, 100, 40);
    kare_sonu();
    birak();
    EXPECT_TRUE(arayuz::dugme_durumu("start", 0, false, 0, 0, 100, 40).tiklandi);
}

TEST_F(ArayuzTest, CharacterClassesAndLimits) {
    EXPECT_TRUE(sinifta_mi(0, '_', false));
    EXPECT_FALSE(sinifta_mi(0, '@', false));
    EXPECT_FALSE(sinifta_mi(0, '.', false));
    for (char c : std::string("+-.@")) EXPECT_TRUE(sinifta_mi(0, uint32_t(c), true)) << c;
    EXPECT_FALSE(sinifta_mi(0, 0x011F, true));
    EXPECT_TRUE(sinifta_mi(1, 0x011F, false));
    EXPECT_FALSE(sinifta_mi(1, 127, false));
    EXPECT_FALSE(sinifta_mi(1, '\n', false));
    EXPECT_TRUE(sinifta_mi(2, ':', false));
    EXPECT_FALSE(sinifta_mi(2, '_', false));
    EXPECT_FALSE(sinifta_mi(3, 'a', false));

    for (int i = 0; i < 7; ++i) karakter_ekle(kod_alani, uint32_t('1' + i), false);
    EXPECT_EQ(kod_alani.metin, "123456");
    metin_alani sifre{"", 3, true, 1, "Şifre"};
    EXPECT_TRUE(karakter_ekle(sifre, 0x011F, false));
    EXPECT_TRUE(karakter_ekle(sifre, 0x015F, false));
    EXPECT_TRUE(karakter_ekle(sifre, 'a', false));
    EXPECT_FALSE(karakter_ekle(sifre, 'b', false));  // limit counts code points, not bytes
    EXPECT_EQ(sifre.metin, "ğşa");
    son_karakteri_sil(sifre.metin);
    son_karakteri_sil(sifre.metin);
    EXPECT_EQ(sifre.metin, "ğ");
    son_karakteri_sil(sifre.metin);
    EXPECT_EQ(sifre.metin, "");
    son_karakteri_sil(sifre.metin);
    EXPECT_TRUE(karakter_ekle(sifre, 0x1F600, false));  // passes the tests, not stored
    EXPECT_EQ(sifre.metin, "");
}

TEST_F(ArayuzTest, BulletsPerCodePoint) {
    metin_alani sifre{"ğüşİç", 64, true, 1, "Şifre"};
    EXPECT_EQ(gorunen_metin(sifre), "•••••");
    sifre.gizli = false;
    EXPECT_EQ(gorunen_metin(sifre), "ğüşİç");
}

TEST_F(ArayuzTest, PasteKeepsTheFirstAcceptedCharacters) {
    odak = &kullanici_alani;
    std::string yuz;
    for (int i = 0; i < 100; ++i) yuz += char('a' + i % 26);
    arayuz::metni_yapistir("ab.c\nd@e" + yuz);
    EXPECT_EQ(kullanici_alani.metin, "abcde" + yuz.substr(0, 11));
    ayarlar.kisisel.push_back({"hesap_api", "https://api.example"});
    hesap_alanini_hazirla(hesap_api_var());
    kullanici_alani.metin.clear();
    arayuz::metni_yapistir("oyuncu+1@morvatan.example\n" + yuz + yuz);
    EXPECT_EQ(kullanici_alani.metin.size(), 64u);
    EXPECT_EQ(kullanici_alani.metin.rfind("oyuncu+1@morvatan.example", 0), 0u);
    EXPECT_STREQ(kullanici_alani.ipucu, "Kullanıcı adı veya e-posta");
    kullanici_alani.ipucu = "Kullanıcı adı";
}

TEST_F(ArayuzTest, ProgramSetTextLongerThanTheLimitBlocksTyping) {
    kullanici_alani.metin = std::string(20, 'x');
    odak = &kullanici_alani;
    arayuz::karakter('y');
    EXPECT_EQ(kullanici_alani.metin, std::string(20, 'x'));
    for (int i = 0; i < 4; ++i) arayuz::tus(GLFW_KEY_BACKSPACE, 0, GLFW_PRESS, 0);
    arayuz::karakter('y');
    EXPECT_EQ(kullanici_alani.metin, std::string(16, 'x'));  // 16 code points: still full
    arayuz::tus(GLFW_KEY_BACKSPACE, 0, GLFW_REPEAT, 0);
    arayuz::karakter('y');
    EXPECT_EQ(kullanici_alani.metin, std::string(15, 'x') + "y");
}

TEST_F(ArayuzTest, EnterEscapeAndTab) {
    kullanici_alani.metin = "oyuncu";
    arayuz::tus(GLFW_KEY_KP_ENTER, 0, GLFW_PRESS, 0);
    EXPECT_EQ(acik_panel, 1);
    EXPECT_EQ(odak, &sifre_alani);  // a remembered name: straight to the password
    arayuz::tus(GLFW_KEY_TAB, 0, GLFW_PRESS, 0);
    EXPECT_EQ(odak, &kullanici_alani);
    arayuz::tus(GLFW_KEY_TAB, 0, GLFW_PRESS, 0);
    EXPECT_EQ(odak, &sifre_alani);
    arayuz::tus(GLFW_KEY_ENTER, 0, GLFW_RELEASE, 0);  // releases are ignored
    arayuz::tus(GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    EXPECT_EQ(acik_panel, 0);
    EXPECT_EQ(odak, nullptr);

    hata_goster("bir");
    hata_goster("iki");  // a new box replaces the shown one
    EXPECT_EQ(mesaj_kutusu.metin, "iki");
    EXPECT_EQ(mesaj_kutusu.baslik, "HATA");
    EXPECT_EQ(mesaj_kutusu.renk, 0xE07A5Fu);
    odak = &sifre_alani;
    arayuz::karakter('x');
    arayuz::tus(GLFW_KEY_BACKSPACE, 0, GLFW_PRESS, 0);
    EXPECT_EQ(sifre_alani.metin, "");  // nothing reaches a field while the box is shown
    EXPECT_TRUE(mesaj_kutusu.acik);
    arayuz::tus(GLFW_KEY_ESCAPE, 0, GLFW_PRESS, 0);
    EXPECT_FALSE(mesaj_kutusu.acik);
    EXPECT_EQ(acik_panel, 0);  // Escape closed only the box

    oyun_durumu = 1;  // while the game runs every key is ignored
    arayuz::tus(GLFW_KEY_ENTER, 0, GLFW_PRESS, 0);
    EXPECT_EQ(acik_panel, 0);
}

}  // namespace
