// Fonts and text without OpenGL: font storage and loading, the code point list, atlas packing,
// UTF-8, measuring and word wrap. The font slots are written once by yukle (main thread).
#include "ui/yazi.h"

#include <cmath>

#include "platform/dosya.h"
#include "ui/doku.h"

namespace yazi {
namespace {

yazi_tipi tipler[2];  // written once by yukle; read-only afterwards (main thread)

const int ATLAS_EN_KUCUK = 512;   // first square tried
const int ATLAS_EN_BUYUK = 4096;  // last square tried; used even if packing still fails
const float YATAY_ESIK = 24.0f;   // device sizes below this get 2x horizontal oversampling

const size_t YAZI_TIPI_SINIRI = 64u << 20;  // bytes; no font of ours comes near it

bool font_oku(const char* yol, std::vector<unsigned char>& bayt) {
    std::string metin;
    if (dosya_oku(yol, metin, YAZI_TIPI_SINIRI) != okuma::TAMAM || metin.empty()) return false;
    bayt.assign(metin.begin(), metin.end());
    return true;
}

// A file that opens but is no font would crash the first rasterisation; refuse it here.
bool tip_hazirla(yazi_tipi& t) {
    int ofset = stbtt_GetFontOffsetForIndex(t.bayt.data(), 0);
    if (ofset < 0) return false;
    return stbtt_InitFont(&t.bilgi, t.bayt.data(), ofset) != 0;
}

bool paketle(const yazi_tipi& t, int boyut, float d, int yatay, atlas& a, std::vector<unsigned char>& bitmap) {
    bitmap.assign(size_t(boyut) * boyut, 0);
    stbtt_pack_context pc;
    if (!stbtt_PackBegin(&pc, bitmap.data(), boyut, boyut, 0, 1, nullptr)) return false;
    stbtt_PackSetOversampling(&pc, yatay, 1);
    stbtt_pack_range aralik{};
    aralik.font_size = -d;
    aralik.array_of_unicode_codepoints = const_cast<int*>(kod_noktalari().data());
    aralik.num_chars = int(kod_noktalari().size());
    aralik.chardata_for_range = a.glyphs.data();
    int tamam = stbtt_PackFontRanges(&pc, t.bayt.data(), 0, &aralik, 1);
    stbtt_PackEnd(&pc);
    a.width = a.height = boyut;
    return tamam != 0;
}

}  // namespace

float kern(const atlas& a, int32_t onceki, int32_t simdiki) {
    const stbtt_fontinfo& f = tipler[a.font].bilgi;
    if (onceki == 0 || (f.kern == 0 && f.gpos == 0)) return 0;
    return a.scale * float(stbtt_GetGlyphKernAdvance(&f, stbtt_FindGlyphIndex(&f, onceki),
                                                     stbtt_FindGlyphIndex(&f, simdiki)));
}

bool yukle() {
    yazi_tipi yeni[2];
    if (!font_oku("veri/font/Cinzel-Bold.ttf", yeni[BASLIK].bayt)) return false;
    if (!font_oku("veri/font/EBGaramond-Regular.ttf", yeni[GOVDE].bayt)) return false;
    for (int i = 0; i < 2; ++i) {
        tipler[i].bayt = std::move(yeni[i].bayt);
        if (!tip_hazirla(tipler[i])) return false;
    }
    return true;
}

const yazi_tipi& tip(int indeks) { return tipler[indeks == BASLIK ? BASLIK : GOVDE]; }

const std::vector<int32_t>& kod_noktalari() {
    static const std::vector<int32_t> liste = [] {
        std::vector<int32_t> l;
        for (int32_t c = 32; c <= 126; ++c) l.push_back(c);
        for (int32_t c = 160; c <= 255; ++c) l.push_back(c);
        for (int32_t c : {0x011E, 0x011F, 0x0130, 0x0131, 0x015E, 0x015F, 0x2013, 0x2014, 0x2018, 0x2019,
                          0x201C, 0x201D, 0x2022, 0x2026})
            l.push_back(c);
        return l;
    }();
    return liste;
}

int32_t anahtar(int font, float px) { return int32_t(font) * 10000 + int32_t(px * 10.0f); }

void atlas_paketle(int font, float px, float olcek_, atlas& a, std::vector<unsigned char>& bitmap) {
    const yazi_tipi& t = tip(font);
    const std::vector<int32_t>& kodlar = kod_noktalari();
    a.font = font == BASLIK ? BASLIK : GOVDE;
    a.px = px;
    a.glyphs.assign(kodlar.size(), stbtt_packedchar{});
    a.index.clear();
    for (size_t i = 0; i < kodlar.size(); ++i)
        if (stbtt_FindGlyphIndex(&t.bilgi, kodlar[i]) != 0) a.index[kodlar[i]] = int32_t(i);
    a.scale = stbtt_ScaleForMappingEmToPixels(&t.bilgi, px);
    int asc = 0, desc = 0, bosluk = 0;
    stbtt_GetFontVMetrics(&t.bilgi, &asc, &desc, &bosluk);
    a.ascent = float(asc) * a.scale;
    a.descent = float(desc) * a.scale;
    const float d = px * olcek_;
    const int yatay = d < YATAY_ESIK ? 2 : 1;
    for (int s = ATLAS_EN_KUCUK; s <= ATLAS_EN_BUYUK; s *= 2)
        if (paketle(t, s, d, yatay, a, bitmap)) break;
}

int32_t utf8_coz(std::string_view s, size_t& i) {
    const unsigned char b = static_cast<unsigned char>(s[i++]);
    if (b < 0x80) return b;
    int32_t deger;
    int devam;
    if (b >= 0xF0) { deger = b & 0x07; devam = 3; }
    else if (b >= 0xE0) { deger = b & 0x0F; devam = 2; }
    else { deger = b & 0x1F; devam = 1; }
    for (; devam > 0 && i < s.size(); --devam) deger = (deger << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return deger;
}

float genislik(const atlas& a, const std::string& metin, float aralik) {
    float w = 0;
    int32_t onceki = 0;
    for (size_t i = 0; i < metin.size();) {
        const int32_t c = utf8_coz(metin, i);
        auto it = a.index.find(c);
        if (it == a.index.end()) continue;
        w += kern(a, onceki, c);
        w += a.glyphs[size_t(it->second)].xadvance / olcek + aralik;
        onceki = c;
    }
    return w;
}

std::vector<std::string> sar(const std::string& metin, const atlas& a, float azami) {
    std::vector<std::string> satirlar;
    std::string satir, kelime;
    auto bosalt = [&](bool kir) {
        if (satir.empty()) {
            satir = kelime;
        } else {
            std::string aday = satir + " " + kelime;
            if (genislik(a, aday, 0) > azami) {
                satirlar.push_back(satir);
                satir = kelime;
            } else {
                satir = std::move(aday);
            }
        }
        kelime.clear();
        if (kir) {
            satirlar.push_back(satir);
            satir.clear();
        }
    };
    for (char c : metin) {
        if (c == ' ') bosalt(false);
        else if (c == '\n') bosalt(true);
        else kelime += c;
    }
    if (!kelime.empty() || !satir.empty()) bosalt(true);
    return satirlar;
}

}  // namespace yazi
