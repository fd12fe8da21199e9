// What a host (or a cache in front of it) serves for a verified manifest, for morvatan-liste
// --dogrula URL. Each file that differs is named as "morvatan-liste: PATH: reason" on standard
// error, then a summary; both return whether every listed file is served as listed.
#pragma once
#include <string>

#include "updater/liste.h"

// Every listed file fetched through the very address a launcher asks for (updater/indirme.h's
// dosya_adresi, small files many to a curl, a large one streamed) and its bytes compared with
// the listed size and digest, so a stale copy of the same size is caught. Nothing of them is
// kept: small files pass through a private temporary folder, large ones are hashed as they
// come. A progress line goes to standard error as the work goes on.
bool sunulanlar_dogru_mu(const std::string& taban, const guncelleme::liste& l);

// The quick check: only each file's size, from a HEAD request of the same address (eight at a
// time). Blind to a wrong file of the right size.
bool sunulan_boyutlar_dogru_mu(const std::string& taban, const guncelleme::liste& l);
