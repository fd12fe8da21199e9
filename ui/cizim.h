// The frame's draw list: every quad and clip of a pass recorded as plain data, so that a
// pass can tell whether its frame differs from the one on screen before anything is drawn.
//
// The drawing primitives (ui/doku.h, text) append here; ui/cizim_gl.cpp replays a list with
// OpenGL. Recording needs no window, so the list and its signature are testable anywhere.
// Main thread only.
#pragma once
#include <cstdint>
#include <vector>

namespace cizim {

enum : uint8_t {
    DORTGEN = 0,   // an axis-aligned quad
    KIRP = 1,      // clip to `kutu` (framebuffer pixels, origin bottom-left)
    KIRP_YOK = 2,  // clipping off
};

enum : uint8_t {
    ONCARPIMLI = 0,  // premultiplied alpha (the skin's textures)
    DUZ = 1,         // straight alpha (flat rectangles, glyphs)
};

// One command. Only plain values, with no padding bytes, so that the signature can hash the
// list as it lies in memory.
struct komut {
    uint8_t tur = DORTGEN;
    uint8_t karisim = DUZ;
    uint8_t bos[2] = {0, 0};
    uint32_t doku = 0;           // texture name; 0 = untextured
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // canvas units, y down
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;  // texture coordinates of the two corners
    float ust[4] = {0, 0, 0, 0};           // RGBA of the top edge
    float alt[4] = {0, 0, 0, 0};           // RGBA of the bottom edge
    int32_t kutu[4] = {0, 0, 0, 0};        // KIRP: x, y, width, height
};

struct liste {
    int fb_genislik = 0, fb_yukseklik = 0;      // framebuffer pixels
    int tuval_genislik = 0, tuval_yukseklik = 0;  // logical canvas
    std::vector<komut> komutlar;
};

extern liste kare;  // the frame being recorded in this pass

// A rectangle of framebuffer pixels, origin bottom-left, as glScissor takes it.
struct alan {
    int32_t x = 0, y = 0, genislik = 0, yukseklik = 0;
};

// The whole framebuffer of `l`.
alan tamami(const liste& l);

// Whether two lists have the same framebuffer and canvas sizes.
bool ayni_boyut(const liste& a, const liste& b);

// The pixels where `yeni` can differ from `eski`: the bounds, within their clips, of the quads
// between the two lists' longest common beginning and end, each quad taken with the clip it is
// drawn under. Outside them both lists lay the same quads in the same order under the same
// clips, so no pixel there can change. False when the sizes differ: all must be drawn.
bool degisen_alan(const liste& eski, const liste& yeni, alan& a);

// Starts a new frame (the commands of the last one are dropped, their storage kept).
void baslat(int fb_genislik, int fb_yukseklik, int tuval_genislik, int tuval_yukseklik);

void dortgen(const komut& k);
void kirp(int32_t x, int32_t y, int32_t genislik, int32_t yukseklik);
void kirp_yok();

// What can show of what is recorded now, in framebuffer pixels (origin bottom-left): the
// framebuffer within the clip in force. Text skips what falls outside, so its cost stays with
// what can be seen.
void gorunen_alan(float& sol, float& sag, float& alt, float& ust);

// A 64-bit digest of everything that decides the frame's pixels (sizes and commands). Two
// lists with the same signature draw the same picture.
uint64_t imza(const liste& l);

// When a pass shows its frame: always when forced (first frame, a window that was exposed or
// shown again) or when the last one is EN_UZUN_ARA old; never when nothing differs; at once
// after an input event; otherwise (counters, news, a caret blink) at most every EN_KISA_ARA.
// Exposes already force a frame, so the long interval is only a safety net: each frame costs
// the software renderer tens of milliseconds, which once a second was most of an idle
// launcher's work.
const double EN_UZUN_ARA = 30.0;
const double EN_KISA_ARA = 0.1;

struct gosterim {
    uint64_t imza = 0;           // signature of the frame on screen
    double zaman = -1e9;         // when it was shown (steady seconds)
    bool zorla = true;           // the next pass must show its frame
    double kayit_zamani = -1e9;  // when a pass last built (recorded) its frame
    liste ekrandaki{};           // the frame on screen
};

bool gosterilsin_mi(const gosterim& g, uint64_t imza, bool olay, double simdi);

// Whether a pass builds its frame at all: after input, when forced, or once EN_KISA_ARA has
// passed since the last one was built.
bool kaydedilsin_mi(const gosterim& g, bool olay, double simdi);

// What a pass that shows `yeni` must draw: the whole frame when forced or when the last one is
// EN_UZUN_ARA old (the safety net redraws every pixel), else the part that changed.
alan cizilecek_alan(const gosterim& g, const liste& yeni, double simdi);

// Replays the list with OpenGL: viewport, projection, clear, then every command in order.
// Needs the window's context (ui/cizim_gl.cpp). With `yalniz`, only its pixels are touched
// (every clip is narrowed to it); they come out exactly as in a full replay.
void oynat(const liste& l);
void oynat(const liste& l, const alan& yalniz);

}  // namespace cizim
