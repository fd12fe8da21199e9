// Pixel arithmetic of the skin that needs no OpenGL: premultiplied alpha, the CPU-built
// mipmap chain, the scissor box of a logical rectangle and the window's scale on a desktop.
// Tested without a display.
//
// Images are tightly packed RGBA, 8 bits per channel, first row at the top.
#pragma once
#include <cstdint>
#include <vector>

namespace piksel {

struct goruntu {
    int genislik = 0;
    int yukseklik = 0;
    std::vector<uint8_t> veri;  // genislik * yukseklik * 4 bytes
};

// c = floor(c * a / 255) for the three colour channels of every pixel; alpha unchanged.
void onceden_carp(uint8_t* rgba, int genislik, int yukseklik);

// The next mipmap level: max(1, w/2) x max(1, h/2), each texel the rounded average of a
// 2 x 2 block; odd sizes repeat the last row or column instead of reading past it.
goruntu yarila(const goruntu& kaynak);

// Every level from the given one down to 1 x 1, each computed from the previous level.
std::vector<goruntu> mip_zinciri(const goruntu& taban);

struct kutu {
    int x, y, genislik, yukseklik;  // framebuffer pixels, OpenGL's bottom-left origin
};

// The scissor box of a logical rectangle (top-left origin) at scale `olcek` on a canvas of
// height `tuval_y`: origin rounded down, size rounded up.
kutu kirpma_kutusu(float x, float y, float w, float h, float olcek, int tuval_y);

// The scale of a window of `w` x `h` logical units on a monitor whose content scale is
// `icerik` (Xft.dpi / 96 on X11; 1 for a value that makes no sense): that scale, or the
// largest that fits the `alan_w` x `alan_h` work area when it would not (an area of 0 is
// unknown and not looked at). Never below a quarter.
float pencere_olcegi(float icerik, int alan_w, int alan_h, int w, int h);

// `mantiksal` units at scale `olcek`, in whole pixels.
int olcekli(int mantiksal, float olcek);

}  // namespace piksel
