// The account login request against the real reference service and the real curl: the body
// bytes, the endpoint, the status parsing, where the password never goes (command lines,
// files), the answer limit, the address guard, and a stalled service at shutdown.
#include <gtest/gtest.h>
#include <dirent.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "app/ayarlar.h"
#include "tests/surec_durumu.h"
#include "tests/yardimci.h"
#include "ui/metin_alani.h"
#include "updater/durum.h"
#include "web/webgiris.h"

namespace {

using yardimci::bekle_ki;

std::string onaltilik(const std::string& bayt) {
    static const char r[] = "0123456789abcdef";
    std::string s;
    for (unsigned char c : bayt) {
        s += r[c >> 4];
        s += r[c & 15];
    }
    return s;
}

struct WebGiris : yardimci::SurecTesti {
    // One request with the current fields; waits for the worker and joins it.
    void istek(const std::string& kod = "") {
        webgiris::iste(kod);
        ASSERT_TRUE(bekle_ki([] { return webgiris::hazir.load(); }, 20));
        webgiris::iplik.join();
        webgiris::suruyor = false;
    }
};

TEST(WebGirisCikti, StatusIsTheTextAfterTheLastLineFeed) {
    long durum = -1;
    std::string cevap = "eski";
    metinler::aktarim_hatasi hata = metinler::aktarim_hatasi::YOK;
    webgiris::cikti_coz("\n200", &durum, &cevap, &hata);
    EXPECT_EQ(durum, 200);
    EXPECT_EQ(cevap, "");
    EXPECT_EQ(hata, metinler::aktarim_hatasi::YOK);
    durum = -1;
    webgiris::cikti_coz("{\"a\":\"b\nc\"}\n401", &durum, &cevap, &hata);
    EXPECT_EQ(durum, 401);
    EXPECT_EQ(cevap, "{\"a\":\"b\nc\"}");
    durum = 0;
    cevap = "dokunulmadi";
    webgiris::cikti_coz("hicbir satir sonu yok", &durum, &cevap, &hata);
    EXPECT_EQ(durum, 0);
    EXPECT_EQ(cevap, "dokunulmadi");
    EXPECT_EQ(hata, metinler::aktarim_hatasi::ULASILAMADI);
    hata = metinler::aktarim_hatasi::YOK;
    webgiris::cikti_coz("\n000", &durum, &cevap, &hata);
    EXPECT_EQ(durum, 0);
    EXPECT_EQ(hata, metinler::aktarim_hatasi::ULASILAMADI);
}

TEST_F(WebGiris, BodyBytesAndEndpointAreExact) {
    yardimci::hesap_servisi servis("[{\"ad\": \"ali\", \"sifre\": \"x\"}]");
    ayar_koy("hesap_api", servis.adres() + "/");  // a base ending in "/" gets no second slash
    kullanici_alani.metin = "ali";
    giris_sifresi.assign(std::string("p\"a\\s\x01s\xC5\x9F", 9));
    istek();
    ayar_koy("hesap_api", servis.adres());
    istek("123456");
    const std::string kayit = yardimci::dosya_oku(servis.kayit);
    const std::string ilk = "{\"username\":\"ali\",\"password\":\"p\\\"a\\\\s\\u0001s\xC5\x9F\"}";
    const std::string ikinci = ilk.substr(0, ilk.size() - 1) + ",\"totpCode\":\"123456\"}";
    EXPECT_EQ(kayit, "{\"yol\": \"/api/ticket\", \"govde\": \"" + onaltilik(ilk) + "\"}\n" +
                         "{\"yol\": \"/api/ticket\", \"govde\": \"" + onaltilik(ikinci) + "\"}\n");
    EXPECT_EQ(webgiris::durum_kodu, 401);  // wrong password for ali
    EXPECT_EQ(webgiris::hata, metinler::aktarim_hatasi::YOK);
}

// Every process's command line while the service holds the request, and every small file
// under /tmp written meanwhile: none may hold the password.
TEST_F(WebGiris, ThePasswordReachesNoCommandLineAndNoFile) {
    const std::string sifre = "Sifre-Burada-7391";
    yardimci::hesap_servisi servis("[{\"ad\": \"ali\", \"sifre\": \"" + sifre + "\", \"cevap\": \"bekle:1.5\"}]");
    ayar_koy("hesap_api", servis.adres());
    kullanici_alani.metin = "ali";
    giris_sifresi.assign(sifre.data(), sifre.size());
    webgiris::iste("");
    ASSERT_TRUE(bekle_ki([&] { return !yardimci::komut("pgrep -f '[c]url.*" + std::to_string(servis.port) + "'").empty(); }, 5));
    const std::string satirlar = yardimci::komut("cat /proc/[0-9]*/cmdline 2>/dev/null | tr '\\0' ' '");
    EXPECT_NE(satirlar.find("--data-binary @-"), std::string::npos);
    EXPECT_EQ(satirlar.find(sifre), std::string::npos);
    const std::string dosyalar = yardimci::komut("find /tmp -maxdepth 3 -type f -size -1M -mmin -1 -print0 2>/dev/null | "
                                                 "xargs -0 grep -l -F '" + sifre + "' 2>/dev/null");
    EXPECT_EQ(dosyalar, "");
    ASSERT_TRUE(bekle_ki([] { return webgiris::hazir.load(); }, 20));
    webgiris::iplik.join();
    EXPECT_EQ(webgiris::durum_kodu, 200);
}

TEST_F(WebGiris, RefusedAddressUnreachableServiceAndOverlongAnswer) {
    yardimci::hesap_servisi servis("[{\"ad\": \"ali\", \"sifre\": \"x\", \"cevap\": \"uzun:100000\"},"
                                   " {\"ad\": \"veli\", \"sifre\": \"x\", \"cevap\": \"uzun:60000\"}]");
    kullanici_alani.metin = "ali";
    giris_sifresi = "x";
    ayar_koy("hesap_api", "http://127.0.0.1:" + std::to_string(servis.port) + "/it's");
    istek();
    EXPECT_EQ(webgiris::durum_kodu, 0);
    EXPECT_EQ(webgiris::hata, metinler::aktarim_hatasi::ADRES_GECERSIZ);
    EXPECT_EQ(yardimci::dosya_oku(servis.kayit), "");  // nothing ran

    ayar_koy("hesap_api", "http://127.0.0.1:1/api");
    istek();
    EXPECT_EQ(webgiris::durum_kodu, 0);
    EXPECT_EQ(webgiris::hata, metinler::aktarim_hatasi::ULASILAMADI);

    ayar_koy("hesap_api", servis.adres());
    istek();
    EXPECT_TRUE(webgiris::bozuk);
    EXPECT_TRUE(webgiris::cevap.empty());
    kullanici_alani.metin = "veli";  // under the limit: an ordinary answer
    istek();
    EXPECT_FALSE(webgiris::bozuk);
    EXPECT_EQ(webgiris::durum_kodu, 200);
    EXPECT_EQ(webgiris::cevap.size(), 60000u);
}

// Whatever a client posts, the reference service answers and goes on serving.
TEST_F(WebGiris, TheReferenceServiceSurvivesAnyBody) {
    yardimci::hesap_servisi servis("[{\"ad\": \"ali\", \"sifre\": \"x\"}]");
    const std::string adres = servis.adres() + "/ticket";
    const std::vector<std::string> govdeler = {"", "{", "[1,2]", "{\"username\":5}", "null", "\xff\xfe{}",
                                               "{\"username\":\"ali\",\"password\":[\"x\"]}", std::string(5000, '{')};
    for (const std::string& g : govdeler) {
        yardimci::dosya_yaz(servis.dizin.yol + "/govde", g);
        const std::string durum = yardimci::komut("curl -s -o /dev/null -w '%{http_code}' --data-binary @" +
                                                  servis.dizin.yol + "/govde '" + adres + "'");
        EXPECT_EQ(durum, "400") << g.substr(0, 40);
    }
    kullanici_alani.metin = "ali";
    giris_sifresi = "x";
    ayar_koy("hesap_api", servis.adres());
    istek();
    EXPECT_EQ(webgiris::durum_kodu, 200);
}

// Shutdown sets kapaniyor: a service that never answers must not hold the exit.
TEST_F(WebGiris, AStalledServiceIsAbandonedAtOnceOnShutdown) {
    yardimci::hesap_servisi servis("[{\"ad\": \"ali\", \"sifre\": \"x\", \"cevap\": \"sessiz\"}]");
    ayar_koy("hesap_api", servis.adres());
    kullanici_alani.metin = "ali";
    giris_sifresi = "x";
    webgiris::iste("");
    ASSERT_TRUE(bekle_ki([&] { return !yardimci::komut("pgrep -f '[c]url.*" + std::to_string(servis.port) + "'").empty(); }, 5));
    const auto bas = std::chrono::steady_clock::now();
    kapaniyor = true;
    webgiris::iplik.join();
    EXPECT_LT(std::chrono::steady_clock::now() - bas, std::chrono::seconds(2));
    EXPECT_EQ(yardimci::komut("pgrep -f '[c]url.*" + std::to_string(servis.port) + "'"), "");
}

}  // namespace
