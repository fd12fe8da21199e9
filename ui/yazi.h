// Fonts and text: the two TrueType files held in memory, glyph atlases per (font, size),
// lenient UTF-8 decoding, measuring with kerning, drawing with effects, and word wrap.
//
// yazi::BASLIK is the title font (Cinzel Bold), yazi::GOVDE the body font (EB Garamond).
// Sizes are em sizes in logical units; atlases are rasterised at that size times `olcek`
// (framebuffer pixels per logical unit) and rebuilt when the scale changes. Only the 205 code
// points of kod_noktalari can be drawn; anything else is skipped and costs no width.
// Packing, measuring, wrapping and decoding need no OpenGL; atlas_al, ciz and yaz do
// (ui/yazi_ciz.cpp). Main thread only.
#pragma once
#include <stb_truetype.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace yazi {

enum { BASLIK = 0, GOVDE = 1 };      // font indices
enum { DUZ = 0, GOLGE = 1, HALE = 2 };  // effects of yaz

struct yazi_tipi {
    std::vector<unsigned char> bayt;  // the whole font file
    stbtt_fontinfo bilgi{};           // parsed from `bayt`
};

struct atlas {
    uint32_t tex = 0;                              // OpenGL alpha texture; 0 before upload
    int32_t width = 0, height = 0;                 // square: 512, 1024, 2048 or 4096
    std::vector<stbtt_packedchar> glyphs;          // one per kod_noktalari entry, same order
    std::unordered_map<int32_t, int32_t> index;    // code point -> position in glyphs
    int32_t font = 0;
    float px = 0;        // requested em size, logical units
    float scale = 0;     // font units -> logical units
    float ascent = 0;    // logical units
    float descent = 0;   // logical units, negative
};

// Reads "veri/font/Cinzel-Bold.ttf" and "veri/font/EBGaramond-Regular.ttf". False when either
// cannot be opened, is empty or is not a font stb_truetype can read.
bool yukle();

// The loaded font of the given index; valid after a successful yukle.
const yazi_tipi& tip(int indeks);

// The 205 drawable code points: printable ASCII, Latin-1, Turkish letters, dashes, quotes,
// bullet and ellipsis.
const std::vector<int32_t>& kod_noktalari();

// Cache key: font * 10000 + tenths of px, truncated (13 and 13.04 share an atlas).
int32_t anahtar(int font, float px);

// Packs every drawable glyph of the font at em size px for the device scale `olcek`
// (2x horizontal oversampling under 24 device pixels), trying 512 to 4096 squares. Fills
// every field but tex; `bitmap` receives the width x height alpha image.
void atlas_paketle(int font, float px, float olcek, atlas& a, std::vector<unsigned char>& bitmap);

// Decodes the code point at `i` and advances `i`; never reads past the end (a cut-off
// sequence yields its partial value).
int32_t utf8_coz(std::string_view s, size_t& i);

// Kerning between two drawable code points in logical units (0 after no glyph, or when the
// font has neither a "kern" nor a "GPOS" table).
float kern(const atlas& a, int32_t onceki, int32_t simdiki);

// Advance width in logical units with kerning; `aralik` is added after every drawn glyph.
float genislik(const atlas& a, const std::string& metin, float aralik);

// Greedy word wrap at spaces and line feeds, measured with tracking 0; a word wider than
// `azami` stands alone on its line.
std::vector<std::string> sar(const std::string& metin, const atlas& a, float azami);

// ---- needs the OpenGL context (ui/yazi_ciz.cpp) ----

// The cached atlas for the key, packed and uploaded on first use; valid for this frame.
atlas* atlas_al(int font, float px);

// Deletes every atlas texture and empties the cache (the frame loop's scale change).
void atlaslari_bosalt();

// The frame loop's scale check: a framebuffer-to-canvas ratio `s` that differs from `olcek` by
// more than 0.01 becomes the new scale and empties the cache. Returns whether it did.
bool olcegi_guncelle(float s);

// Number of cached atlases (for the scale-change rule and its tests).
size_t atlas_sayisi();

// One pass of glyph quads at pen (x, baseline y) in the colour, recorded into the frame's
// draw list with the atlas texture.
void ciz(const atlas& a, const std::string& metin, float x, float y, float r, float g, float b,
         float alfa, float aralik);

// Text with an effect (DUZ, GOLGE shadow, HALE halo).
void yaz(const atlas& a, const std::string& metin, uint32_t renk, int etki, float x, float y, float aralik);

// Baseline that centres one line in a box of top y and height h.
inline float ortala(const atlas& a, float y, float h) { return y + h / 2 + (a.ascent + a.descent) / 2; }

}  // namespace yazi
