// Replays a draw list with OpenGL 1.x: runs of quads that share a texture and blending go in
// one glBegin/glEnd, and state changes only where a command needs another state.
#include <GL/gl.h>

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

}  // namespace

void oynat(const liste& l) {
    glViewport(0, 0, l.fb_genislik, l.fb_yukseklik);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, l.tuval_genislik, l.tuval_yukseklik, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_SCISSOR_TEST);
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
            glEnable(GL_SCISSOR_TEST);
            glScissor(k.kutu[0], k.kutu[1], k.kutu[2], k.kutu[3]);
        } else if (k.tur == KIRP_YOK) {
            glDisable(GL_SCISSOR_TEST);
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
