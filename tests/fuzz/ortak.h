// Shared by the fuzz targets: the input as a string, and a check that aborts loudly so that
// libFuzzer keeps the input that broke an invariant.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string girdi_metni(const uint8_t* veri, size_t n) { return std::string(reinterpret_cast<const char*>(veri), n); }

#define DENETLE(kosul)                                                              \
    do {                                                                            \
        if (!(kosul)) {                                                             \
            std::fprintf(stderr, "degismez bozuldu: %s (%s:%d)\n", #kosul, __FILE__, __LINE__); \
            std::abort();                                                           \
        }                                                                           \
    } while (0)
