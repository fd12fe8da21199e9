// SHA-256: FIPS 180-4 vectors and piecewise feeding, on the hardware and the portable path.
#include <gtest/gtest.h>

#include <string>

#include "tests/yardimci.h"
#include "updater/sha256.h"

namespace {

std::string ozet(const std::string& s, size_t parca) {
    sha256::baglam b;
    sha256::baslangic(b);
    const uint8_t* p = reinterpret_cast<const uint8_t*>(s.data());
    for (size_t i = 0; i < s.size(); i += parca) sha256::ekle(b, p + i, std::min(parca, s.size() - i));
    return sha256::onaltilik(sha256::bitir(b));
}

std::string ozet(const std::string& s) { return ozet(s, s.empty() ? 1 : s.size()); }

// Runs the body once on each available compression path.
class Sha256Test : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !sha256::donanim_var()) GTEST_SKIP() << "no SHA extensions on this processor";
        ASSERT_EQ(sha256::donanim_sec(GetParam()), GetParam());
    }
    void TearDown() override { sha256::donanim_sec(true); }
};

TEST_P(Sha256Test, Fips180Vectors) {
    EXPECT_EQ(ozet(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(ozet("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(ozet("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(ozet(std::string(1000000, 'a'), 65536),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST_P(Sha256Test, PiecesEqualOneShot) {
    std::string s;
    for (int i = 0; i < 200000; ++i) s += char((i * 131 + i / 7) & 0xFF);
    const std::string tek = ozet(s);
    for (size_t parca : {1u, 63u, 64u, 65u, 65536u}) EXPECT_EQ(ozet(s, parca), tek) << parca;
    EXPECT_EQ(ozet(std::string(64, 'x'), 1), ozet(std::string(64, 'x')));
    // The 55/56/64-byte boundaries of the padding.
    EXPECT_EQ(ozet(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(ozet(std::string(56, 'a')), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(ozet(std::string(64, 'a')), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}

TEST_P(Sha256Test, FileDigestAndMissingFileCountsAsEmpty) {
    yardimci::gecici_dizin dizin;
    std::string icerik(300000, '\0');
    for (size_t i = 0; i < icerik.size(); ++i) icerik[i] = char(i % 253);
    yardimci::dosya_yaz(dizin.yol + "/f", icerik);
    EXPECT_EQ(sha256::dosya_ozeti(dizin.yol + "/f"), ozet(icerik));
    EXPECT_EQ(sha256::dosya_ozeti(dizin.yol + "/yok"), ozet(""));
}

INSTANTIATE_TEST_SUITE_P(Yollar, Sha256Test, ::testing::Values(true, false),
                         [](const auto& bilgi) { return bilgi.param ? "donanim" : "tasinabilir"; });

TEST(Sha256, HardwareAndPortableAgreeOnRandomLengths) {
    if (!sha256::donanim_var()) GTEST_SKIP() << "no SHA extensions on this processor";
    uint32_t x = 12345;
    for (int deneme = 0; deneme < 200; ++deneme) {
        std::string s(x % 5000, '\0');
        for (char& c : s) c = char((x = x * 1103515245 + 12345) >> 16);
        sha256::donanim_sec(true);
        std::string a = ozet(s, 1 + x % 97);
        sha256::donanim_sec(false);
        std::string b = ozet(s);
        ASSERT_EQ(a, b) << s.size();
    }
    sha256::donanim_sec(true);
}

}  // namespace
