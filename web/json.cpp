// JSON text helpers: escaping, one literal's decoding with \u escapes and surrogate pairs,
// and the depth-tracking scan for a top-level string field. Pure functions.
#include "web/json.h"

#include <cstdint>

#include "platform/gizli.h"

namespace {

int onaltilik_deger(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The four hexadecimal digits at `p`, or -1 when they are not all there.
long dort_hane(const std::string& metin, size_t p) {
    if (p + 4 > metin.size()) return -1;
    long deger = 0;
    for (size_t i = 0; i < 4; ++i) {
        int d = onaltilik_deger(static_cast<unsigned char>(metin[p + i]));
        if (d < 0) return -1;
        deger = deger * 16 + d;
    }
    return deger;
}

void utf8_yaz(std::string& cikti, uint32_t c) {
    if (c < 0x80) {
        cikti += char(c);
    } else if (c < 0x800) {
        cikti += char(0xC0 | (c >> 6));
        cikti += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        cikti += char(0xE0 | (c >> 12));
        cikti += char(0x80 | ((c >> 6) & 0x3F));
        cikti += char(0x80 | (c & 0x3F));
    } else {
        cikti += char(0xF0 | (c >> 18));
        cikti += char(0x80 | ((c >> 12) & 0x3F));
        cikti += char(0x80 | ((c >> 6) & 0x3F));
        cikti += char(0x80 | (c & 0x3F));
    }
}

// A "\u" escape whose backslash is at `p`; returns how many bytes it spans.
size_t unicode_kacisi(const std::string& metin, size_t p, std::string& cikti) {
    const long c = p + 6 <= metin.size() ? dort_hane(metin, p + 2) : -1;
    if (c < 0) {
        cikti += 'u';
        return 2;
    }
    if (c >= 0xD800 && c <= 0xDBFF && p + 12 <= metin.size() && metin[p + 6] == '\\' && metin[p + 7] == 'u') {
        const long dusuk = dort_hane(metin, p + 8);
        if (dusuk >= 0) {
            utf8_yaz(cikti, uint32_t(((c - 0xD800) << 10) + dusuk + 0x2400));
            return 12;
        }
    }
    utf8_yaz(cikti, uint32_t(c));
    return 6;
}

bool bosluk_mu(unsigned char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

// Index of the first byte after `p` that is not JSON white space.
size_t bosluk_atla(const std::string& metin, size_t p) {
    while (p < metin.size() && bosluk_mu(static_cast<unsigned char>(metin[p]))) ++p;
    return p;
}

}  // namespace

std::string json_kacis(const std::string& metin) {
    std::string cikti;
    cikti.reserve(metin.size() + 2);
    json_kacis_ekle(metin.data(), metin.size(), cikti);
    return cikti;
}

size_t json_dize_oku(const std::string& metin, size_t tirnak, std::string& cikti) {
    // Decoding never lengthens a literal, so one block holds the whole value: growing it a
    // byte at a time would free blocks holding a ticket's beginning unwiped.
    gizli::sil(cikti);
    cikti.reserve(metin.size() - tirnak);
    size_t p = tirnak + 1;
    while (p < metin.size()) {
        const char c = metin[p];
        if (c == '"') return p;
        if (c != '\\' || p + 1 == metin.size()) {
            cikti += c;
            ++p;
            continue;
        }
        const char e = metin[p + 1];
        if (e == 'u') {
            p += unicode_kacisi(metin, p, cikti);
            continue;
        }
        if (e == 'n') cikti += '\n';
        else if (e == 'r') cikti += '\r';
        else if (e == 't') cikti += '\t';
        else if (e != 'b' && e != 'f') cikti += e;
        p += 2;
    }
    return p;
}

bool json_alan(const std::string& metin, const std::string& anahtar, std::string& cikti) {
    long derinlik = 0;
    std::string okunan;
    for (size_t p = 0; p < metin.size(); ++p) {
        const char c = metin[p];
        if (c == '{' || c == '[') ++derinlik;
        if (c == '}' || c == ']') --derinlik;
        if (c != '"') continue;
        p = json_dize_oku(metin, p, okunan);
        if (p >= metin.size()) return false;
        const size_t sonraki = bosluk_atla(metin, p + 1);
        if (sonraki >= metin.size() || metin[sonraki] != ':' || derinlik != 1 || okunan != anahtar) continue;
        const size_t deger = bosluk_atla(metin, sonraki + 1);
        if (deger >= metin.size() || metin[deger] != '"') return false;
        std::string sonuc;
        const bool kapandi = json_dize_oku(metin, deger, sonuc) < metin.size();
        if (kapandi) cikti.swap(sonuc);  // a value cut off before its closing quote is no value
        gizli::sil(sonuc);
        gizli::sil(okunan);
        return kapandi;
    }
    gizli::sil(okunan);  // it held every value scanned past, a ticket among them
    return false;
}
