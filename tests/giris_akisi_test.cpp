// The login flow against the real reference account service: every row of the answer table
// with its exact text and its effect on code mode and the held password, the checks before
// any traffic, remember-me, a two-step login, and a panel closed during a request.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>

#include "app/ayarlar.h"
#include "app/mesaj.h"
#include "app/pencere.h"
#include "platform/oyun.h"
#include "server/baglanti.h"
#include "tests/surec_durumu.h"
#include "tests/yardimci.h"
#include "ui/metin_alani.h"
#include "updater/durum.h"
#include "web/giris_akisi.h"
#include "web/webgiris.h"

namespace {

using yardimci::bekle_ki;
using yardimci::dosya_oku;

const char* const HESAPLAR = R"([
 {"ad": "ayse", "sifre": "dogru-sifre"},
 {"ad": "mert", "sifre": "kod-lazim", "totp": "JBSWY3DPEHPK3PXP"},
 {"ad": "zeynep", "sifre": "x", "eposta_dogrulandi": false, "maskeli_eposta": "z***@ornek.com"},
 {"ad": "bozuk", "sifre": "x", "cevap": "500bos"},
 {"ad": "biletsiz", "sifre": "x", "cevap": "200biletsiz"},
 {"ad": "bosbilet", "sifre": "x", "cevap": "200bosbilet"},
 {"ad": "sirada", "sifre": "x", "cevap": "202"},
 {"ad": "uzun", "sifre": "x", "cevap": "uzun:70000"},
 {"ad": "yavas", "sifre": "dogru", "cevap": "bekle:1"},
 {"ad": "yarim", "sifre": "x", "cevap": "yarim"},
 {"ad": "denetim", "sifre": "x", "cevap": "denetim"}
])";

struct GirisAkisi : yardimci::SurecTesti {
    yardimci::gecici_dizin dizin;
    yardimci::dizin_degistir burada{dizin.yol};
    yardimci::hesap_servisi servis{HESAPLAR};

    void SetUp() override {
        yardimci::SurecTesti::SetUp();
        ayar_koy("hesap_api", servis.adres());
        ayar_koy("oyun", "/bin/true");
        giris_hazirla();
        acik_panel = 1;
        beni_hatirla = true;
        guncelleme::durum = guncelleme::GUNCEL;
    }
    // Types the credentials and presses the login button; the answer is taken over.
    void giris(const std::string& ad, const std::string& sifre) {
        kullanici_alani.metin = ad;
        sifre_alani.metin = sifre;
        bas();
    }
    void bas() {
        mesaj_kutusu = mesaj_kutusu_kaydi{};
        giris_baslat();
        if (!webgiris::suruyor.load()) return;
        ASSERT_TRUE(bekle_ki([] { return webgiris::hazir.load(); }, 20));
        web_cevabi_devral();
    }
    std::string gosterilen() const { return mesaj_kutusu.acik ? mesaj_kutusu.baslik + ": " + mesaj_kutusu.metin : ""; }
    static void oyunu_bekle() {
        ASSERT_GT(oyun::oyun_pid, 0);
        waitpid(oyun::oyun_pid, nullptr, 0);
        oyun::oyun_pid = 0;
        oyun_durumu = 0;
    }
};

TEST_F(GirisAkisi, APlainLoginStartsTheGameAndWipesEverything) {
    giris("ayse", "dogru-sifre");
    EXPECT_EQ(gosterilen(), "");
    EXPECT_EQ(oyun_durumu, 1);
    EXPECT_EQ(acik_panel, 0);
    EXPECT_EQ(odak, nullptr);
    EXPECT_TRUE(sifre_alani.metin.empty());
    EXPECT_TRUE(giris_sifresi.empty());
    EXPECT_TRUE(webgiris::cevap.empty());
    oyunu_bekle();
}

TEST_F(GirisAkisi, TwoStepLoginWithAWrongCodeThenTheRightOne) {
    giris("mert", "kod-lazim");
    EXPECT_EQ(gosterilen(), "BİLGİ: Hesabında iki adımlı doğrulama açık. Doğrulama uygulamandaki 6 haneli kodu gir.");
    EXPECT_TRUE(kod_modu);
    EXPECT_EQ(std::string(giris_sifresi.c_str()), "kod-lazim");
    EXPECT_TRUE(sifre_alani.metin.empty());
    EXPECT_EQ(odak, &kod_alani);

    kod_alani.metin = "12345";
    bas();
    EXPECT_EQ(gosterilen(), "HATA: Doğrulama uygulamandaki 6 haneli kodu gir.");
    EXPECT_FALSE(webgiris::suruyor.load());

    std::string yanlis = "000000";
    const std::string dogru = servis.kod("mert");
    while (yanlis == dogru) yanlis[0]++;
    kod_alani.metin = yanlis;
    bas();
    EXPECT_EQ(gosterilen(), "HATA: Doğrulama kodu yanlış. Uygulamadaki güncel kodu gir.");
    EXPECT_TRUE(kod_modu);
    EXPECT_TRUE(kod_alani.metin.empty());
    EXPECT_EQ(std::string(giris_sifresi.c_str()), "kod-lazim");

    kod_alani.metin = servis.kod("mert");
    bas();
    EXPECT_EQ(gosterilen(), "");
    EXPECT_EQ(oyun_durumu, 1);
    EXPECT_FALSE(kod_modu);
    EXPECT_TRUE(giris_sifresi.empty());
    oyunu_bekle();
}

TEST_F(GirisAkisi, EveryRefusalShowsItsTextAndEndsTheAttempt) {
    const std::pair<const char*, const char*> satirlar[] = {
        {"ayse", "HATA: Kullanıcı adı veya şifre hatalı."},  // wrong password
        {"zeynep", "HATA: E-posta adresin henüz doğrulanmadı (z***@ornek.com). Gelen kutundaki bağlantıya tıkla, sonra tekrar dene."},
        {"bozuk", "HATA: Giriş yapılamadı (HTTP 500)."},
        {"biletsiz", "HATA: Giriş sunucusundan bozuk cevap geldi."},
        {"bosbilet", "HATA: Giriş sunucusundan bozuk cevap geldi."},
        {"sirada", "HATA: İsteğin sıraya alındı."},  // 202 is no success, even with a ticket
        {"uzun", "HATA: Giriş sunucusundan bozuk cevap geldi."},
        // a body cut short still ends in "200" from curl's -w: the transfer counts, not the text
        {"yarim", "HATA: Giriş sunucusuna ulaşılamadı (giris sunucusuna ulasilamadi)."},
        {"denetim", "HATA: Giriş sunucusundan bozuk cevap geldi."},  // a ticket with control bytes
    };
    for (const auto& [ad, metin] : satirlar) {
        giris(ad, "x");
        EXPECT_EQ(gosterilen(), metin) << ad;
        EXPECT_FALSE(kod_modu) << ad;
        EXPECT_TRUE(giris_sifresi.empty()) << ad;
        EXPECT_TRUE(webgiris::cevap.empty()) << ad;
        EXPECT_EQ(oyun_durumu, 0) << ad;
    }
}

TEST_F(GirisAkisi, NoAnswerAtAll) {
    ayar_koy("hesap_api", "http://127.0.0.1:1/api");
    giris("ayse", "dogru-sifre");
    EXPECT_EQ(gosterilen(), "HATA: Giriş sunucusuna ulaşılamadı (giris sunucusuna ulasilamadi).");
    EXPECT_TRUE(giris_sifresi.empty());
    ayar_koy("hesap_api", "http://127.0.0.1:" + std::to_string(servis.port) + "/a'b");
    giris("ayse", "dogru-sifre");
    EXPECT_EQ(gosterilen(), "HATA: Giriş sunucusuna ulaşılamadı (adres gecersiz).");
    // A lost code request keeps the password, so the code can simply be sent again.
    ayar_koy("hesap_api", servis.adres());
    giris("mert", "kod-lazim");
    ayar_koy("hesap_api", "http://127.0.0.1:1/api");
    kod_alani.metin = "123456";
    bas();
    EXPECT_EQ(gosterilen(), "HATA: Giriş sunucusuna ulaşılamadı (giris sunucusuna ulasilamadi).");
    EXPECT_TRUE(kod_modu);
    EXPECT_EQ(std::string(giris_sifresi.c_str()), "kod-lazim");
    // When the attempt ends in code mode, what the player types goes to the password field
    // the panel shows again, never to the hidden code field.
    odak = &kod_alani;
    kimlik_sil();
    EXPECT_EQ(odak, &sifre_alani);
}

// While the update checks or downloads, files may still change under a game: no sign-in
// starts, and nothing is sent. On the server road a connection that fails at once wipes the
// password as every other end of the attempt does.
TEST_F(GirisAkisi, NoSignInDuringAnUpdateAndNoPasswordLeftByABadServerAddress) {
    for (int32_t d : {guncelleme::BASLAMADI, guncelleme::DENETLENIYOR, guncelleme::INDIRILIYOR,
                      guncelleme::YENIDEN_BASLAT}) {
        guncelleme::durum = d;
        giris("ayse", "dogru-sifre");
        EXPECT_FALSE(webgiris::suruyor.load()) << d;
        EXPECT_EQ(oyun_durumu, 0) << d;
    }
    EXPECT_EQ(yardimci::dosya_oku(servis.kayit), "");
    guncelleme::durum = guncelleme::BASARISIZ;  // a failed update leaves the installed game usable
    giris("ayse", "dogru-sifre");
    EXPECT_EQ(oyun_durumu, 1);
    oyunu_bekle();

    ayar_koy("hesap_api", "");
    ayar_koy("sunucu", "127.0.0.1:");
    giris("ayse", "dogru-sifre");
    EXPECT_EQ(gosterilen(), "HATA: Sunucu adresi hatalı: 127.0.0.1:");
    EXPECT_TRUE(sunucu::sifre.empty());
    EXPECT_TRUE(sifre_alani.metin.empty());
}

TEST_F(GirisAkisi, ShortNamesAreRefusedOnBothRoadsBeforeAnythingIsWritten) {
    for (const char* api : {"web", ""}) {
        if (!*api) ayar_koy("hesap_api", "");
        giris("ab", "sifre");
        EXPECT_EQ(gosterilen(), "HATA: Kullanıcı adını ve şifreni gir.") << api;
        giris("abc", "");
        EXPECT_EQ(gosterilen(), "HATA: Kullanıcı adını ve şifreni gir.") << api;
        EXPECT_FALSE(std::filesystem::exists("launcher.ini")) << api;
        EXPECT_EQ(baglanti_modu, 0);
    }
    EXPECT_EQ(yardimci::dosya_oku(servis.kayit), "");
}

TEST_F(GirisAkisi, RememberMeIsWrittenBeforeAnyTraffic) {
    kullanici_alani.metin = "yavas";
    sifre_alani.metin = "dogru";
    giris_baslat();
    EXPECT_EQ(dosya_oku("launcher.ini"), "hesap_api=" + servis.adres() + "\noyun=/bin/true\nhatirla=1\nkullanici=yavas\n");
    EXPECT_TRUE(webgiris::suruyor.load());
    ASSERT_TRUE(bekle_ki([] { return webgiris::hazir.load(); }, 20));
    web_cevabi_devral();
    oyunu_bekle();
    beni_hatirla = false;
    giris("ayse", "yanlis");
    EXPECT_NE(dosya_oku("launcher.ini").find("hatirla=0\nkullanici=\n"), std::string::npos);
}

// Closing the panel during a request: the answer, even a ticket, is dropped without a word.
TEST_F(GirisAkisi, APanelClosedDuringTheRequestIgnoresTheAnswer) {
    kullanici_alani.metin = "yavas";
    sifre_alani.metin = "dogru";
    giris_baslat();
    ASSERT_TRUE(webgiris::suruyor.load());
    giris_baslat();  // busy: a second press does nothing
    panel_kapat();
    EXPECT_EQ(acik_panel, 0);
    EXPECT_TRUE(webgiris::vazgec);
    ASSERT_TRUE(bekle_ki([] { return webgiris::hazir.load(); }, 20));
    web_cevabi_devral();
    EXPECT_EQ(gosterilen(), "");
    EXPECT_EQ(oyun_durumu, 0);
    EXPECT_EQ(oyun::oyun_pid, 0);
    EXPECT_TRUE(giris_sifresi.empty());
    const std::string kayit = dosya_oku(servis.kayit);
    EXPECT_EQ(std::count(kayit.begin(), kayit.end(), '\n'), 1);  // the second press sent nothing
    // Closed while idle: the held secrets go at once.
    acik_panel = 1;
    giris("mert", "kod-lazim");
    ASSERT_TRUE(kod_modu);
    panel_kapat();
    EXPECT_FALSE(kod_modu);
    EXPECT_TRUE(giris_sifresi.empty());
}

// The texts of the table; the flow test above takes one row of each kind through the service.
TEST(GirisKarari, TheRefusalTableInOrder) {
    EXPECT_EQ(metinler::yaz(ret_karari_ver(401, "{\"message\":\"INVALID_CREDENTIALS\"}").metin), "Kullanıcı adı veya şifre hatalı.");
    EXPECT_EQ(metinler::yaz(ret_karari_ver(423, "{\"message\":\"Hesabın kilitlendi.\"}").metin), "Hesabın kilitlendi.");
    EXPECT_EQ(ret_karari_ver(401, "{\"message\":\"TOTP_REQUIRED\"}").tur, ret_karari::KOD_ISTENDI);
    EXPECT_EQ(ret_karari_ver(401, "{\"message\":\"TOTP_INVALID\"}").tur, ret_karari::KOD_YANLIS);
    EXPECT_EQ(metinler::yaz(ret_karari_ver(403, "{\"message\":\"EMAIL_NOT_VERIFIED\",\"maskedEmail\":\"\"}").metin),
              "E-posta adresin henüz doğrulanmadı. Gelen kutundaki bağlantıya tıkla, sonra tekrar dene.");
    EXPECT_EQ(metinler::yaz(ret_karari_ver(418, "{\"message\":5}").metin), "Giriş yapılamadı (HTTP 418).");
    EXPECT_EQ(ret_karari_ver(401, "{\"x\":{\"message\":\"TOTP_REQUIRED\"}}").tur, ret_karari::REDDEDILDI);
}

}  // namespace
