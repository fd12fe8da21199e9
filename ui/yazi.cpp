// Fonts and text: font storage and loading.
// The two font slots are owned here, written once by yukle on the main thread.
#include "ui/yazi.h"

#include <fstream>
#include <iterator>
#include <string>

namespace yazi {
namespace {

yazi_tipi tipler[2];  // written once by yukle; read-only afterwards (main thread)

bool dosya_oku(const char* yol, std::vector<unsigned char>& bayt) {
    std::ifstream dosya(yol, std::ios::binary);
    if (!dosya) return false;
    bayt.assign(std::istreambuf_iterator<char>(dosya), std::istreambuf_iterator<char>());
    return !bayt.empty();
}

// A file that opens but is no font would crash the first rasterisation; refuse it here.
bool tip_hazirla(yazi_tipi& t) {
    int ofset = stbtt_GetFontOffsetForIndex(t.bayt.data(), 0);
    if (ofset < 0) return false;
    return stbtt_InitFont(&t.bilgi, t.bayt.data(), ofset) != 0;
}

}  // namespace

bool yukle() {
    yazi_tipi yeni[2];
    if (!dosya_oku("veri/font/Cinzel-Bold.ttf", yeni[BASLIK].bayt)) return false;
    if (!dosya_oku("veri/font/EBGaramond-Regular.ttf", yeni[GOVDE].bayt)) return false;
    for (int i = 0; i < 2; ++i) {
        tipler[i].bayt = std::move(yeni[i].bayt);
        if (!tip_hazirla(tipler[i])) return false;
    }
    return true;
}

const yazi_tipi& tip(int indeks) { return tipler[indeks == BASLIK ? BASLIK : GOVDE]; }

}  // namespace yazi
