// Retries of the update's transfers: a failure that may pass (a refused or reset connection,
// an answer 5xx or 429, a body cut short, a silent transfer) is tried again after growing
// waits before the run gives up. A stop request ends a wait at once.
#pragma once

namespace guncelleme {

const int TEKRAR_SAYISI = 3;  // tries after the first, before a failure is reported

// Waits before retry number `deneme` (1 to TEKRAR_SAYISI): 1, 3 and 9 seconds, each up to a
// fifth longer at random, so that players cut off together do not all return in the same
// second. False, at once, when the launcher is closing. The status line says meanwhile that a
// try is coming (YENIDEN_DENENIYOR, the attempt and of how many); whoever mends the failure
// clears that note.
// `istenen`: the seconds the server asked for (Retry-After), waited instead when longer, up
// to EN_COK_ISTENEN.
bool tekrar_bekle(int deneme, double istenen = 0);

const double EN_COK_ISTENEN = 60.0;

// Multiplies the waits (1 unless a test shortened them).
void tekrar_olcegi_koy(double olcek);

}  // namespace guncelleme
