// Drawing primitives on a real OpenGL context (Xvfb with Mesa): loading a skin image, the
// faded textured quad and the vertical fade of a flat rectangle, recorded into the draw list,
// replayed and read back from the framebuffer.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#include <unistd.h>

#include <filesystem>

#include "app/pencere.h"
#include "tests/yardimci.h"
#include "ui/cizim.h"
#include "ui/doku.h"
#include "ui/yazi.h"

namespace {

class CizimTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(glfwInit()) << "an X server is needed (run under xvfb-run)";
        glfwWindowHint(GLFW_DECORATED, GLFW_FALSE);
        glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
        pencere = glfwCreateWindow(800, 610, "cizim testi", nullptr, nullptr);
        ASSERT_NE(pencere, nullptr);
        glfwMakeContextCurrent(pencere);
        yardimci::dizin_degistir kaynak(MORVATAN_KAYNAK_DIZINI);
        ASSERT_TRUE(yazi::yukle());
    }
    static void TearDownTestSuite() {
        glfwDestroyWindow(pencere);
        pencere = nullptr;
        glfwTerminate();
    }
    void SetUp() override {
        int fw, fh;
        glfwGetFramebufferSize(pencere, &fw, &fh);
        ASSERT_EQ(fw, 800);
        tuvali_kur(fw, fh);
    }
    // Colour of the logical point (x, y) in the back buffer, once the recorded frame is drawn.
    static void oku(int x, int y, unsigned char rgb[3]) {
        unsigned char p[4];
        cizim::oynat(cizim::kare);
        glFinish();
        glReadPixels(x, 610 - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        rgb[0] = p[0]; rgb[1] = p[1]; rgb[2] = p[2];
    }
};

// Writes veri/<ad> as an RGBA PNG in `dizin`.
void png(const std::string& dizin, const char* ad, int w, int h, const unsigned char* rgba) {
    std::filesystem::create_directories(dizin + "/veri");
    ASSERT_TRUE(stbi_write_png((dizin + "/veri/" + ad).c_str(), w, h, 4, rgba, w * 4));
}

TEST_F(CizimTest, TextureAtHalfOpacityFadesUniformlyAndKeepsFirstRowOnTop) {
    yardimci::gecici_dizin dizin;
    const unsigned char kirmizi_mavi[8] = {255, 0, 0, 255, 0, 0, 255, 255};
    png(dizin.yol, "iki.png", 1, 2, kirmizi_mavi);
    doku d, yok;
    std::string hata;
    {
        yardimci::dizin_degistir burada(dizin.yol);
        d = doku_yukle("iki.png");
        testing::internal::CaptureStderr();
        yok = doku_yukle("yok.png");
        hata = testing::internal::GetCapturedStderr();
    }

    ASSERT_NE(d.tex, 0u);
    EXPECT_EQ(d.width, 1);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(yok.tex, 0u);
    EXPECT_EQ(yok.width, 0);
    EXPECT_EQ(hata, "gorsel yuklenemedi: veri/yok.png\n");

    doku_ciz(d, 0, 0, 800, 610, 0.5f);
    unsigned char ust[3], alt[3];
    oku(400, 5, ust);
    oku(400, 604, alt);
    // half the texel plus half the clear colour (0.05, 0.06, 0.08)
    EXPECT_NEAR(ust[0], 134, 2); EXPECT_NEAR(ust[1], 8, 2); EXPECT_NEAR(ust[2], 10, 2);
    EXPECT_NEAR(alt[0], 6, 2);   EXPECT_NEAR(alt[1], 8, 2); EXPECT_NEAR(alt[2], 138, 2);
}

TEST_F(CizimTest, RectangleFadesFromTopOpacityToBottomOpacity) {
    dikdortgen_ciz(0xFFFFFF, 0, 0, 800, 610, 0.0f, 1.0f);
    unsigned char ust[3], orta[3], alt[3];
    oku(100, 0, ust);
    oku(100, 305, orta);
    oku(100, 609, alt);
    EXPECT_NEAR(ust[0], 13, 2);
    EXPECT_NEAR(orta[0], 134, 3);
    EXPECT_NEAR(alt[0], 255, 2);
    EXPECT_NEAR(orta[1], orta[2], 3);  // white: the channels fade alike

    tuvali_kur(800, 610);
    dikdortgen_ciz(0x050609, 0, 0, 800, 610, 0.35f, 0.35f);  // the even dimming of the dialogs
    unsigned char a[3], b[3];
    oku(10, 10, a);
    oku(790, 600, b);
    EXPECT_EQ(a[0], b[0]); EXPECT_EQ(a[1], b[1]); EXPECT_EQ(a[2], b[2]);
}

TEST_F(CizimTest, ScissorClipsDrawingToTheBox) {
    kirp(100, 100, 50, 20);
    dikdortgen_ciz(0xFFFFFF, 0, 0, 800, 610, 1.0f, 1.0f);
    kirpmayi_bitir();
    dikdortgen_ciz(0xFFFFFF, 700, 500, 10, 10, 1.0f, 1.0f);  // after the clip: drawn anywhere
    unsigned char ic[3], dis_sol[3], dis_alt[3];
    oku(100, 100, ic);
    oku(99, 110, dis_sol);
    oku(120, 120, dis_alt);
    unsigned char sonra[3];
    oku(705, 505, sonra);
    EXPECT_EQ(sonra[0], 255);
    EXPECT_EQ(ic[0], 255);
    EXPECT_NEAR(dis_sol[0], 13, 1);
    EXPECT_NEAR(dis_alt[0], 13, 1);
}

TEST_F(CizimTest, AtlasCacheSharesTenthsAndScaleChangeRebuilds) {
    yazi::atlaslari_bosalt();
    olcek = 1.0f;
    yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 13);
    ASSERT_NE(a->tex, 0u);
    EXPECT_EQ(yazi::atlas_al(yazi::GOVDE, 13), a);
    EXPECT_EQ(yazi::atlas_al(yazi::GOVDE, 13.04f), a);
    EXPECT_NE(yazi::atlas_al(yazi::GOVDE, 13.1f), a);
    EXPECT_EQ(yazi::atlas_sayisi(), 2u);
    const float bir = yazi::genislik(*a, "Oyun güncel", 0);
    EXPECT_FALSE(yazi::olcegi_guncelle(1.01f));  // within 0.01: kept
    EXPECT_EQ(yazi::atlas_sayisi(), 2u);
    EXPECT_TRUE(yazi::olcegi_guncelle(2.0f));
    EXPECT_EQ(yazi::atlas_sayisi(), 0u);
    yazi::atlas* iki = yazi::atlas_al(yazi::GOVDE, 13);
    EXPECT_NEAR(yazi::genislik(*iki, "Oyun güncel", 0), bir, bir * 0.01f);
    yazi::olcegi_guncelle(1.0f);
}

TEST_F(CizimTest, TextDrawsInsideItsBoxOnly) {
    yazi::atlas* a = yazi::atlas_al(yazi::BASLIK, 20);
    const float w = yazi::genislik(*a, "MORVATAN", 0);
    yazi::yaz(*a, "MORVATAN", 0xFFFFFF, yazi::DUZ, 100, 200, 0);
    cizim::oynat(cizim::kare);
    glFinish();
    std::vector<unsigned char> p(800 * 610 * 4);
    glReadPixels(0, 0, 800, 610, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    int icerde = 0, disarida = 0;
    for (int y = 0; y < 610; ++y)
        for (int x = 0; x < 800; ++x) {
            const bool parlak = p[size_t((609 - y) * 800 + x) * 4] > 128;
            const bool kutuda = x >= 98 && x <= 102 + w && y >= 200 - a->ascent - 2 && y <= 200 - a->descent + 2;
            if (parlak) ++(kutuda ? icerde : disarida);
        }
    EXPECT_GT(icerde, 150);
    EXPECT_EQ(disarida, 0);
}

std::vector<unsigned char> pikseller() {
    glFinish();
    std::vector<unsigned char> p(800 * 610 * 4);
    glReadPixels(0, 0, 800, 610, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return p;
}

// A frame redrawn only where it changed, over the one before, equals the frame drawn whole:
// text that changed and a clipped bar that moved, beside a still clipped panel.
TEST_F(CizimTest, APartialRedrawOverTheLastFrameEqualsAWholeOne) {
    yazi::atlas* a = yazi::atlas_al(yazi::GOVDE, 13);
    auto sahne = [&](float dolu, const char* metin) {
        tuvali_kur(800, 610);
        dikdortgen_ciz(0x203040, 0, 0, 800, 610, 1.0f, 0.6f);
        kirp(50, 50, 200, 100);  // a still panel, half transparent, clipped
        dikdortgen_ciz(0x80C0FF, 0, 0, 400, 300, 0.5f, 0.5f);
        kirpmayi_bitir();
        kirp(400, 450, 300 * dolu, 20);
        dikdortgen_ciz(0xC0A060, 400, 450, 300, 20, 1.0f, 0.5f);
        kirpmayi_bitir();
        yazi::yaz(*a, metin, 0xFFFFFF, yazi::DUZ, 480, 430, 0);
        dikdortgen_ciz(0x805020, 360, 520, 130, 40, 0.8f, 0.8f);
        return cizim::kare;
    };
    const cizim::liste eski = sahne(0.3f, "İndiriliyor 5207/20000");
    cizim::oynat(eski);
    const std::vector<unsigned char> once = pikseller();
    const cizim::liste yeni = sahne(0.55f, "İndiriliyor 12071/20000");
    cizim::alan alan;
    ASSERT_TRUE(cizim::degisen_alan(eski, yeni, alan));
    EXPECT_LT(alan.genislik * alan.yukseklik, 800 * 610 / 10);
    cizim::oynat(yeni, alan);
    const std::vector<unsigned char> parca = pikseller();
    cizim::oynat(yeni);
    const std::vector<unsigned char> tam = pikseller();
    EXPECT_NE(once, tam);
    size_t farkli = 0;
    for (size_t i = 0; i < tam.size(); ++i) farkli += parca[i] != tam[i];
    EXPECT_EQ(farkli, 0u);
}

}  // namespace
