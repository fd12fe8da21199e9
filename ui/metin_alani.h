// Text fields: the four field records (user name, password, two-step code, server address),
// the focused field and the caret clock, and the editing rules: character classes, length
// limits in code points, Backspace by code point and the bullets of hidden text.
//
// Pure rules over the records; the widget that draws a field lives in ui/arayuz. Main thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct metin_alani {
    std::string metin;    // UTF-8 content
    uint64_t azami;       // longest text the player can type, in code points
    bool gizli;           // show bullets instead of the content
    int32_t tur;          // accepted class: 0 account name, 1 printable, 2 host address, 3 digits
    const char* ipucu;    // hint shown while empty and unfocused; never null
};

extern metin_alani kullanici_alani, sifre_alani, kod_alani, sunucu_alani;
extern metin_alani* odak;     // the focused field, or null
extern metin_alani* secili;   // the field whose whole text Ctrl+A selected (while it has the focus)

// The one way the focus moves: to `alan` (null: no field), a selection going with it.
void odakla(metin_alani* alan);
extern double imlec_zamani;   // steady-clock seconds the caret blink counts from

// With a web account service the user-name field takes e-mail addresses: 64 code points and
// the hint "Kullanıcı adı veya e-posta".
void hesap_alanini_hazirla(bool hesap_api);

// Whether code point c belongs to the class; class 0 also takes "+-.@" with a web service.
bool sinifta_mi(int32_t tur, uint32_t c, bool hesap_api);

// Code points of a UTF-8 text (bytes that are not continuation bytes).
size_t kod_noktasi_sayisi(const std::string& metin);

// Appends c when it is in the class and the field holds fewer than azami code points.
// Returns whether the caret should restart (c passed the class and length tests).
bool karakter_ekle(metin_alani& alan, uint32_t c, bool hesap_api);

// Removes the last code point (its continuation bytes, then its lead byte).
void son_karakteri_sil(std::string& metin);

// The text as shown: one bullet (U+2022) per code point when hidden.
std::string gorunen_metin(const metin_alani& alan);

// Whether the whole text of `alan` is selected: Ctrl+A in it, and no other key, click or
// focus change since. Typing then replaces the text, Backspace removes it.
bool hepsi_secili_mi(const metin_alani& alan);

// Appends code point c (up to U+FFFF) as UTF-8.
void utf8_ekle(std::string& metin, uint32_t c);
