// What the launcher does with each game-server answer: a status answer opens the server and
// may bring the news, a login answer starts the game or explains the refusal, a rejection
// fails the connection. Main thread only (called by the link's servicing step).
#pragma once
#include <cstddef>
#include <cstdint>

namespace sunucu {

// One packet from the current peer; types that do not belong to the current mode are ignored.
void cevap_isle(const uint8_t* veri, size_t n);

}  // namespace sunucu
