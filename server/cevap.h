// What the launcher does with each game-server answer: a status answer opens the server and
// may bring the news, a login answer starts the game or explains the refusal, a rejection
// fails the connection. Main thread only (called by the link's servicing step).
//
// An answer is first read into a decision, and the decision is applied once ENet's events of
// the pass are all taken: applying resets the peer, destroys the host and may start the game,
// none of which may happen while ENet is still handing out events.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/metinler.h"
#include "platform/gizli.h"
#include "web/haber.h"

namespace sunucu {

struct karar {
    enum class tur {
        YOK,         // nothing to do (an empty packet, a type the mode does not take)
        ACIK,        // a status answer: the server is open, `haberler` when it sent news
        BILET,       // a login accepted with a ticket fit for the game's environment
        BOZUK,       // a login answer that cannot be read, or a ticket with control bytes
        RED,         // a login refused: `hata` says why
        REDDEDILDI,  // the server rejected the request or went away: `hata` says how
    };
    tur t = tur::YOK;
    bool haber_var = false;
    std::vector<haber> haberler;
    std::string bilet;  // wiped by karari_uygula
    metinler::ileti hata;

    karar() = default;
    karar(karar&&) = default;
    karar& operator=(karar&&) = default;
    // A short ticket lives inside the string itself, and a move leaves its bytes behind in
    // the source: every decision, moved from or not, wipes its ticket when it goes.
    ~karar() { gizli::sil(bilet); }
};

// The decision for one packet of the current peer in mode `mod` (1 status, 2 login).
karar cevap_coz(const uint8_t* veri, size_t n, int mod);

// Applies a decision: the link is reset first, then the screens and the game are told.
void karari_uygula(karar& k);

}  // namespace sunucu
