// Drawing primitives and the skin: RGBA textures with premultiplied alpha and mipmaps,
// textured and faded flat rectangles, the clip and window centring.
//
// All coordinates are logical canvas units (top-left origin, y down); colours are 0xRRGGBB
// with a separate opacity. Loading needs the window's OpenGL context on the main thread; the
// drawing calls only record into the frame's draw list (ui/cizim.h), replayed once the pass
// knows that its frame differs from the last one shown. Textured quads use the premultiplied
// blend (ONE, ONE_MINUS_SRC_ALPHA), flat rectangles straight alpha.
#pragma once
#include <cstdint>

struct doku {
    uint32_t tex = 0;   // OpenGL texture name; 0 = not loaded, never drawn
    int32_t width = 0;  // image size in pixels (not used for layout)
    int32_t height = 0;
};

struct dugme_derisi {
    doku normal, hover, basili;  // the three button faces
};

// The skin, loaded once after the window exists (kapanis only when the closing screen opens).
struct deri_kaydi {
    doku arkaplan, logo, buton_kapat, kutu, afis, bar_cerceve, bar_dolgu, alan_yazi;
    doku onay_bos, onay_dolu;
    dugme_derisi ana_dugme, dugme;
    doku kapanis;
};

extern deri_kaydi deri;
extern float olcek;  // framebuffer pixels per logical unit; written by the frame loop's scale check

// Loads "veri/" + ad. On failure writes "gorsel yuklenemedi: veri/<ad>" to standard error
// and returns an all-zero doku. Leaves the new texture bound.
doku doku_yukle(const char* ad);

// Loads the skin images in their fixed order (every one except kapanis).
void deri_yukle();

// Stretches the texture over the rectangle, faded uniformly by opacity a.
void doku_ciz(const doku& d, float x, float y, float w, float h, float a);

// Untextured rectangle whose opacity runs linearly from a_ust (top) to a_alt (bottom).
void dikdortgen_ciz(uint32_t renk, float x, float y, float w, float h, float a_ust, float a_alt);

// Clips what follows to the rectangle (partly covered pixels included), until kirpmayi_bitir.
void kirp(float x, float y, float w, float h);
void kirpmayi_bitir();

// Frame set-up: starts the pass's draw list over the framebuffer and the logical canvas; the
// replay clears to the launcher's dark blue-black first.
void tuvali_kur(int fb_genislik, int fb_yukseklik);

// The desktop's scale for a window of `genislik` x `yukseklik` logical units: the primary
// monitor's content scale (GLFW reads the desktop's Xft.dpi), lowered when the window would
// not fit the monitor's work area (piksel::pencere_olcegi). 1 without a monitor.
float masaustu_olcegi(int genislik, int yukseklik);

// Gives `pencere` the size of `genislik` x `yukseklik` logical units at the desktop's scale
// and centres it on the primary monitor. The canvas stays in logical units: text is laid out
// at the framebuffer's density, input is mapped back, so the whole window scales.
void pencereyi_boyutla(int genislik, int yukseklik);
