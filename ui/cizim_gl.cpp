// Replays a draw list with OpenGL 1.x, whole or held to a part of the framebuffer: runs of quads
// that share a texture and blending go in one glBegin/glEnd, state changes only where needed.
#include <GL/gl.h>

#include <algorithm>

#include "ui/cizim.h"

namespace cizim {
namespace {

void durum_koy(const komut& k) {
    if (k.doku) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, k.doku);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (k.karisim == ONCARPIMLI) glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    else glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void kose(const float* renk, float s, float t, float x, float y, bool dokulu) {
    glColor4fv(renk);
    if (dokulu) glTexCoord2f(s, t);
    glVertex2f(x, y);
}

void dortgen_ciz(const komut& k) {
    const bool d = k.doku != 0;
    kose(k.ust, k.s0, k.t0, k.x0, k.y0, d);
    kose(k.ust, k.s1, k.t0, k.x1, k.y0, d);
    kose(k.alt, k.s1, k.t1, k.x1, k.y1, d);
    kose(k.alt, k.s0, k.t1, k.x0, k.y1, d);
}

// Clips to the part of `kutu` (x, y, width, height) inside `yalniz`.
void makas(const int32_t kutu[4], const alan& yalniz) {
    const int32_t x0 = std::max(kutu[0], yalniz.x), y0 = std::max(kutu[1], yalniz.y);
    const int32_t x1 = std::min(kutu[0] + kutu[2], yalniz.x + yalniz.genislik);
    const int32_t y1 = std::min(kutu[1] + kutu[3], yalniz.y + yalniz.yukseklik);
    glScissor(x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0));
}

}  // namespace

void oynat(const liste& l) { oynat(l, tamami(l)); }

void oynat(const liste& l, const alan& yalniz) {
    const int32_t hepsi[4] = {yalniz.x, yalniz.y, yalniz.genislik, yalniz.yukseklik};
    glViewport(0, 0, l.fb_genislik, l.fb_yukseklik);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, l.tuval_genislik, l.tuval_yukseklik, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
    makas(hepsi, yalniz);
    glClearColor(0.05f, 0.06f, 0.08f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    bool acik = false;  // inside glBegin
    const komut* onceki = nullptr;
    for (const komut& k : l.komutlar) {
        const bool ayni = onceki && k.tur == DORTGEN && onceki->doku == k.doku && onceki->karisim == k.karisim;
        if (acik && !ayni) {
            glEnd();
            acik = false;
        }
        if (k.tur == KIRP) {
            makas(k.kutu, yalniz);
        } else if (k.tur == KIRP_YOK) {
            makas(hepsi, yalniz);
        } else {
            if (!acik) {
                durum_koy(k);
                glBegin(GL_QUADS);
                acik = true;
            }
            dortgen_ciz(k);
        }
        onceki = k.tur == DORTGEN ? &k : nullptr;
    }
    if (acik) glEnd();
    glDisable(GL_SCISSOR_TEST);
}

}  // namespace cizim
