// Wiping secrets: explicit_bzero over a string's whole buffer, and over blocks the wiping
// allocator releases. No state.
#include "platform/gizli.h"

#include <string.h>

namespace gizli {

void bayt_sil(void* p, size_t n) {
    if (p && n) explicit_bzero(p, n);
}

void sil(std::string& s) {
    bayt_sil(s.data(), s.capacity());
    s.clear();
}

void sil(dize& s) {
    bayt_sil(s.data(), s.capacity());
    s.clear();
}

}  // namespace gizli
