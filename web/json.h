// JSON text helpers for the one JSON service the launcher talks to: escaping a byte string
// into a quoted literal, decoding one literal, and reading one string field of the outermost
// object. No document model and no state.
//
// All three work on byte strings (UTF-8 passes through byte for byte, embedded zero bytes are
// allowed) and never fail loudly: malformed input gives a negative answer or a best-effort
// decoded text.
#pragma once
#include <cstddef>
#include <string>

// `"` + the escaped bytes + `"`: quote and backslash get a backslash, bytes 0x00..0x1F become
// "\u00xx" (lower-case hex), everything else is copied.
std::string json_kacis(const std::string& metin);

// The same literal appended to `cikti`, which may be a string for secrets (gizli::dize): a
// password is escaped straight into the request body, never into a temporary.
template <class Dize>
void json_kacis_ekle(const char* metin, size_t n, Dize& cikti) {
    static const char rakam[] = "0123456789abcdef";
    cikti += '"';
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(metin[i]);
        if (c == '"' || c == '\\') {
            cikti += '\\';
            cikti += char(c);
        } else if (c < 0x20) {
            const char kacis[6] = {'\\', 'u', '0', '0', rakam[c >> 4], rakam[c & 15]};
            cikti.append(kacis, 6);
        } else {
            cikti += char(c);
        }
    }
    cikti += '"';
}

// Decodes the literal whose opening quote is at `tirnak`; `cikti` is emptied first. Returns
// the index of the closing quote, or a position at or past the end when it is unterminated.
size_t json_dize_oku(const std::string& metin, size_t tirnak, std::string& cikti);

// True when the outermost object holds the field `anahtar` with a string value, decoded into
// `cikti`. On false `cikti` is left exactly as it was.
bool json_alan(const std::string& metin, const std::string& anahtar, std::string& cikti);
