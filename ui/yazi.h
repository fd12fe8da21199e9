// Fonts and text: the two TrueType files held in memory for the life of the process.
// yazi::BASLIK is the title font (Cinzel Bold), yazi::GOVDE the body font (EB Garamond).
//
// yukle runs once at start-up, before the window exists; the font bytes then stay alive and
// unmoved, since the font info and every later rasterisation read them.
#pragma once
#include <stb_truetype.h>

#include <cstdint>
#include <vector>

namespace yazi {

enum { BASLIK = 0, GOVDE = 1 };

struct yazi_tipi {
    std::vector<unsigned char> bayt;  // the whole font file
    stbtt_fontinfo bilgi{};           // parsed from `bayt`
};

// Reads "veri/font/Cinzel-Bold.ttf" and "veri/font/EBGaramond-Regular.ttf". False when either
// cannot be opened, is empty or is not a font stb_truetype can read; nothing is kept then.
bool yukle();

// The loaded font of the given index (BASLIK or GOVDE); valid after a successful yukle.
const yazi_tipi& tip(int indeks);

}  // namespace yazi
