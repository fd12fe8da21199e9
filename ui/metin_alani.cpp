// Text fields: the four records, focus, caret clock and editing rules.
// The records and the focus are owned here; main thread only.
#include "ui/metin_alani.h"

#include "app/ayarlar.h"

metin_alani kullanici_alani{"", 16, false, 0, "Kullanıcı adı"};
metin_alani sifre_alani{"", 64, true, 1, "Şifre"};
metin_alani kod_alani{"", 6, false, 3, "Doğrulama kodu"};
metin_alani sunucu_alani{"", 64, false, 2, ayar_varsayilani("sunucu")};
metin_alani* odak = nullptr;   // set by clicks, Enter, Tab and panel actions
metin_alani* secili = nullptr; // set by Ctrl+A, cleared by the next edit or click
double imlec_zamani = 0;       // restarted by focusing and typing

namespace {

bool harf_rakam(uint32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

}  // namespace

void hesap_alanini_hazirla(bool hesap_api) {
    if (!hesap_api) return;
    kullanici_alani.azami = 64;
    kullanici_alani.ipucu = "Kullanıcı adı veya e-posta";
}

bool sinifta_mi(int32_t tur, uint32_t c, bool hesap_api) {
    switch (tur) {
        case 0: return harf_rakam(c) || c == '_' || (hesap_api && (c == '+' || c == '-' || c == '.' || c == '@'));
        case 1: return c > 31 && c != 127;
        case 2: return harf_rakam(c) || c == '-' || c == '.' || c == ':';
        case 3: return c >= '0' && c <= '9';
        default: return false;
    }
}

size_t kod_noktasi_sayisi(const std::string& metin) {
    size_t n = 0;
    for (unsigned char b : metin)
        if ((b & 0xC0) != 0x80) ++n;
    return n;
}

void utf8_ekle(std::string& metin, uint32_t c) {
    if (c < 0x80) {
        metin += char(c);
    } else if (c < 0x800) {
        metin += char(0xC0 | (c >> 6));
        metin += char(0x80 | (c & 0x3F));
    } else if (c <= 0xFFFF) {
        metin += char(0xE0 | (c >> 12));
        metin += char(0x80 | ((c >> 6) & 0x3F));
        metin += char(0x80 | (c & 0x3F));
    }
}

bool karakter_ekle(metin_alani& alan, uint32_t c, bool hesap_api) {
    if (!sinifta_mi(alan.tur, c, hesap_api)) return false;
    if (kod_noktasi_sayisi(alan.metin) >= alan.azami) return false;
    utf8_ekle(alan.metin, c);  // beyond U+FFFF: passes the tests, is not stored
    return true;
}

void son_karakteri_sil(std::string& metin) {
    while (!metin.empty() && (static_cast<unsigned char>(metin.back()) & 0xC0) == 0x80) metin.pop_back();
    if (!metin.empty()) metin.pop_back();
}

std::string gorunen_metin(const metin_alani& alan) {
    if (!alan.gizli) return alan.metin;
    std::string noktalar;
    for (size_t i = kod_noktasi_sayisi(alan.metin); i > 0; --i) noktalar += "\xE2\x80\xA2";
    return noktalar;
}

void odakla(metin_alani* alan) {
    odak = alan;
    secili = nullptr;
}

bool hepsi_secili_mi(const metin_alani& alan) { return secili == &alan && odak == &alan && !alan.metin.empty(); }
