// The game-server packets byte for byte: requests, each answer's length checks, refusal texts.
#include <gtest/gtest.h>

#include "server/paket.h"

namespace {

std::vector<uint8_t> b(std::initializer_list<int> v) { return std::vector<uint8_t>(v.begin(), v.end()); }
std::vector<uint8_t> b(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(SunucuPaketi, Requests) {
    EXPECT_EQ(sunucu::durum_istegi(), b({0x0D}));
    gizli::dize sifre = "q";
    const gizli::dize ali = sunucu::giris_istegi("ali", sifre);
    EXPECT_EQ(std::string(ali.data(), ali.size()), std::string("\x0A\x05\x00\x00\x00\x03" "ali\x01q\x00", 12));
    const gizli::dize uzun = sunucu::giris_istegi(std::string(70, 'u'), gizli::dize(65, 's'));
    ASSERT_EQ(uzun.size(), 1u + 4 + 1 + 64 + 1 + 64 + 1);
    EXPECT_EQ(uint8_t(uzun[5]), 0x40);
    EXPECT_EQ(uint8_t(uzun[70]), 0x40);
    EXPECT_EQ(uzun.back(), '\0');
}

TEST(SunucuPaketi, StatusListIsTakenWholeOrNotAtAll) {
    std::vector<haber> liste{{"eski", "eski", "eski"}};
    EXPECT_FALSE(sunucu::durum_cevabi_coz(b({0x0E}).data(), 1, liste));  // no list at all
    EXPECT_EQ(liste.size(), 1u);
    const std::vector<uint8_t> bos = b({0x0E, 0});
    EXPECT_TRUE(sunucu::durum_cevabi_coz(bos.data(), bos.size(), liste));
    EXPECT_TRUE(liste.empty());
    const std::string kayit1 = std::string("\x02" "12" "\x03" "abc" "\x01\x00" "m", 10);
    const std::vector<uint8_t> iki = b("\x0E\x02" + kayit1 + kayit1 + "fazlasi yok sayilir");
    ASSERT_TRUE(sunucu::durum_cevabi_coz(iki.data(), iki.size(), liste));
    ASSERT_EQ(liste.size(), 2u);
    EXPECT_EQ(liste[1].kisa, "12");
    EXPECT_EQ(liste[1].baslik, "abc");
    EXPECT_EQ(liste[1].metin, "m");
    const std::vector<std::string> bozuklar = {
        "\x0E\x02" + kayit1 + std::string("\x01" "a" "\x41", 3) + std::string(65, 'b') + std::string("\x00\x00", 2),
        "\x0E\x01" + std::string("\x00\x00\xD1\x07", 4) + std::string(2001, 'm'),  // body length 2001
        "\x0E\x02" + kayit1,                                                      // second record missing
        "\x0E\x01" + std::string("\x00\x00\x05\x00", 4) + "abc",                 // body cut short
    };
    for (const std::string& p : bozuklar) {
        const std::vector<uint8_t> v = b(p);
        EXPECT_FALSE(sunucu::durum_cevabi_coz(v.data(), v.size(), liste));
        EXPECT_EQ(liste.size(), 2u);
    }
    const std::vector<uint8_t> sinirda = b("\x0E\x01" + std::string("\x40", 1) + std::string(64, 'k') +
                                           std::string("\x00\xD0\x07", 3) + std::string(2000, 'm'));
    EXPECT_TRUE(sunucu::durum_cevabi_coz(sinirda.data(), sinirda.size(), liste));
}

TEST(SunucuPaketi, LoginAnswers) {
    std::string bilet = "dokunulmadi";
    const std::vector<uint8_t> iyi = b(std::string("\x0B\x01x\x03T-1", 7));
    EXPECT_TRUE(sunucu::giris_kabul_coz(iyi.data(), iyi.size(), bilet));
    EXPECT_EQ(bilet, "T-1");
    for (const std::string& p : {std::string("\x0B\x01x\x00", 4), std::string("\x0B\x01x", 3), std::string("\x0B", 1),
                                 std::string("\x0B\x41", 2) + std::string(65, 'x') + "\x01T",
                                 std::string("\x0B\x00\x05" "abc", 6)}) {
        const std::vector<uint8_t> v = b(p);
        bilet = "dokunulmadi";
        EXPECT_FALSE(sunucu::giris_kabul_coz(v.data(), v.size(), bilet)) << p.size();
        EXPECT_EQ(bilet, "dokunulmadi");
    }
    int kod = 0;
    std::string mesaj;
    auto red = [&](const std::string& p) {
        const std::vector<uint8_t> v = b(p);
        sunucu::giris_red_coz(v.data(), v.size(), kod, mesaj);
        return metinler::yaz(sunucu::red_iletisi(kod, mesaj));
    };
    EXPECT_EQ(red(std::string("\x0C\x02", 2)), "Launcher sürümün eski. Lütfen güncelle.");
    EXPECT_EQ(red(std::string("\x0C\x09\x03" "abc", 6)), "abc");
    EXPECT_EQ(red(std::string("\x0C", 1)), "Giriş yapılamadı.");
    EXPECT_EQ(kod, -1);
    EXPECT_EQ(red(std::string("\x0C\x01\x03" "abc", 6)), "Kullanıcı adı veya şifre hatalı.");
    EXPECT_EQ(red(std::string("\x0C\x03", 2)), "Çok fazla hatalı deneme yaptın. 1 dakika sonra tekrar dene.");
    EXPECT_EQ(red(std::string("\x0C\x04", 2)), "Bu hesap şu anda oyunda.");
    EXPECT_EQ(red(std::string("\x0C\x09\x05" "abc", 6)), "Giriş yapılamadı.");  // message cut short
    const std::vector<uint8_t> ret = b(std::string("\x07\x04" "tam!", 6));
    EXPECT_EQ(sunucu::ret_nedeni(ret.data(), ret.size()), "tam!");
    EXPECT_EQ(sunucu::ret_nedeni(ret.data(), 1), "");
    EXPECT_EQ(sunucu::ret_nedeni(ret.data(), 4), "");
}

}  // namespace
