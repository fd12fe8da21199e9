// The JSON helpers: json_alan leaves its output untouched on false, json_dize_oku never ends
// before the byte after the quote, and escaping always yields a literal that decodes back.
#include "tests/fuzz/ortak.h"
#include "web/json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* veri, size_t n) {
    const std::string metin = girdi_metni(veri, n);
    const size_t bol = n ? veri[0] % 8 : 0;
    const std::string anahtar = metin.substr(0, std::min(bol, metin.size()));
    std::string cikti = "\x01dokunulmadi";
    if (!json_alan(metin, anahtar, cikti)) DENETLE(cikti == "\x01dokunulmadi");
    for (size_t p = 0; p < metin.size() && p < 64; ++p) {
        if (metin[p] != '"') continue;
        std::string okunan;
        DENETLE(json_dize_oku(metin, p, okunan) >= p + 1);
    }
    std::string geri;
    const std::string literal = json_kacis(metin);
    DENETLE(json_dize_oku(literal, 0, geri) == literal.size() - 1);
    DENETLE(geri == metin);
    return 0;
}
