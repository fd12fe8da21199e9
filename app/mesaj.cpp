// Error reporting: the standard-error line used by start-up failures.
// No state of its own.
#include "app/mesaj.h"

#include <cstdio>

void hata_yaz(const std::string& metin) { std::fprintf(stderr, "%s\n", metin.c_str()); }
