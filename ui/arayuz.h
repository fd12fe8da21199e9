// Immediate-mode widgets: each call takes a string id and a rectangle (logical units), draws
// the widget and reports in the same call whether it was clicked this frame.
//
// A widget reacts only on the active layer (girdi.katman): 0 main screen, 1 an open dialog,
// 2 the message box. A click is a press that began on the widget and was released on it.
// Ids are compared by their characters. Main thread only.
#pragma once
#include <cstdint>
#include <string>

#include "ui/doku.h"
#include "ui/metin_alani.h"
#include "ui/yazi.h"

namespace arayuz {

// Hover, held and click for a rectangle; the out-flags may be null.
bool etkilesim(const char* kimlik, int katman, bool* uzerinde, bool* basili, float x, float y, float w, float h);

// What a skinned button shows this frame (no drawing): its face (0 normal, 1 hover,
// 2 pressed), the label's downward offset and whether it was clicked.
struct dugme_hali {
    int yuz = 0;
    float kayma = 0;
    bool tiklandi = false;
};
dugme_hali dugme_durumu(const char* kimlik, int katman, bool devre_disi, float x, float y, float w, float h);

// A skinned button with a centred, shadowed label; a disabled one shows the pressed face,
// a muted label, and never clicks (it still takes the press).
bool dugme(const char* kimlik, int katman, const dugme_derisi& deri, const std::string& etiket,
           const yazi::atlas* a, uint32_t renk, bool devre_disi, float x, float y, float w, float h,
           float aralik);

// A text field at the dialog column (x 260, 280 x 50) with top y; layer 1. A click focuses it,
// unless `degisir` is false: the field is then shown dimmed and cannot be focused.
void metin_kutusu(const char* kimlik, metin_alani& alan, float y, bool degisir = true);

// A check box: the box at (kx, ky) of size kb x kb, the hit rectangle from there `isabet_w`
// wide covering its label, drawn at etiket_x with the body font at 14. A click toggles `deger`.
void onay_kutusu(const char* kimlik, bool& deger, float kx, float ky, float kb, float isabet_w,
                 const std::string& etiket, float etiket_x);

}  // namespace arayuz
