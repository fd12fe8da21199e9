// The game-server link: the address setting, one short ENet connection at a time (connect,
// one request, one answer, reset), its time limits, the status poll, and the state the
// screens read (whether the server is open, what the link is doing).
//
// The ENet host is a client host with one peer and two channels, made for each exchange at
// its connect and destroyed with its reset, so its one slot is always our own peer's and no
// stranger can hold it. ENet is used from the main thread only; so is everything here, except that
// a host name is looked up on a short-lived thread of its own (a slow name server must never
// freeze the window); the connect time limit counts the lookup in.
#pragma once
#include <cstdint>
#include <string>

#include "app/metinler.h"
#include "platform/gizli.h"

enum { SUNUCU_BAGLANIYOR = 0, SUNUCU_ACIK = 1, SUNUCU_KAPALI = 2 };

extern int sunucu_durumu;        // one of the three above, shown on the status line
extern int baglanti_modu;        // 0 idle, 1 status query, 2 server login
extern double durum_sorgu_zamani;  // last automatic status query; -100 so the first pass asks

namespace sunucu {

const uint16_t VARSAYILAN_PORT = 27015;
const double BAGLANMA_SINIRI = 12.0;  // seconds to connect
const double CEVAP_SINIRI = 15.0;     // seconds from baglan to the answer once connected
const double SORGU_ARALIGI = 15.0;    // seconds between status queries while not open
const int MTU = 1200;

// Where the link stands, as ENet's own peer states go. baglanti_modu says what it is for.
enum class hal {
    BOSTA,       // no host, no peer, no lookup
    COZULUYOR,   // the host name is being looked up
    BAGLANIYOR,  // the connect went out; ENet's connect event is awaited
    BAGLI,       // the request went out; its answer is awaited
};
extern hal baglanti_hali;
extern double baslangic;      // steady_saniye() of the last baglan
extern std::string kullanici;  // server-road credentials, copied by the login flow
extern gizli::dize sifre;      // wiped right after sending and by sunucu_sifirla

// "host" or "host:port" (spaces and tabs around it ignored); false when it cannot be split.
bool adres_ayir(std::string metin, std::string& host, uint16_t& port);

// Opens a connection in mode 1 (status query) or 2 (server login), dropping any old one.
void baglan(int mod);

// The failure rule: mode 1 marks the server closed; mode 2 also shows `metin`.
void basarisiz(const metinler::ileti& hata);

// Once per pass while the host exists: events, time limits, flush.
void servis();

// Once per pass before drawing: a status query every 15 s until the server is open.
void durum_yokla();

// Resets the peer and destroys the host (shutdown).
void kapat();

}  // namespace sunucu

// Drops the connection at once (no disconnect exchange), back to mode 0, password wiped.
void sunucu_sifirla();

// The settings dialog's save: stores the address, closes the dialog and asks the new server.
void ayar_kaydet();
