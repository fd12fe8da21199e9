// The news: items of short text, title and body, filled from a web feed fetched once at
// start-up (or from the game server's status answer) and shown by the main screen.
//
// Feed format: UTF-8 lines "kisa|baslik|metin" (LF, optional CR); the first "|" ends kisa, the
// second ends baslik, the rest is metin; lines with fewer than two "|" are skipped. A feed of
// 1 MiB or more is discarded. The fetch runs on a detached thread that owns its data, so it
// may outlive everything else at exit; the main loop takes its result once.
#pragma once
#include <string>
#include <vector>

struct haber {
    std::string kisa;    // short text beside the title (a date, say)
    std::string baslik;  // title
    std::string metin;   // body shown on a click
};

extern std::vector<haber> haberler;  // main thread only

namespace webhaber {

const size_t SINIR = 1048576;  // a feed this long or longer is discarded

extern bool var;  // haberler came from the web feed; server lists are ignored from then on

// Starts the fetch of `haber_adresi` when it is set; returns at once.
void baslat();

// The main loop's hand-over: once the fetch has finished, its items (if any) replace haberler.
void devral();

// Applies a fetched feed: its items, if it has any, replace haberler and set `var`.
void uygula(const std::string& metin);

// Parses a feed into items.
std::vector<haber> coz(const std::string& metin);

}  // namespace webhaber
