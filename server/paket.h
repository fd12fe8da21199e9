// The game-server packets, byte for byte: the status and login requests the launcher sends,
// and the four answers it reads (status list, login accepted, login refused, rejected).
//
// Pure functions over byte buffers: no ENet, no shared state. Every read is bounds-checked
// first; a short or over-long field is a normal outcome (false), never a crash.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/metinler.h"
#include "platform/gizli.h"
#include "web/haber.h"

namespace sunucu {

enum : uint8_t {
    GIRIS_ISTEGI = 10,  // 0x0A
    GIRIS_KABUL = 11,   // 0x0B
    GIRIS_RED = 12,     // 0x0C
    DURUM_ISTEGI = 13,  // 0x0D
    DURUM_CEVABI = 14,  // 0x0E
    REDDEDILDI = 7,     // 0x07
};

const uint32_t PROTOKOL_SURUMU = 5;
const size_t KISA_SINIR = 64;    // longest one-byte-length string
const size_t METIN_SINIR = 2000; // longest news body (two-byte length)

// The one-byte status request.
std::vector<uint8_t> durum_istegi();

// 0A, version 5 (LE), name and password each cut to 64 bytes with a length byte, then 0. The
// password goes straight into a wiping buffer.
gizli::dize giris_istegi(const std::string& kullanici, const gizli::dize& sifre);

// Status answer: the news list after the type byte. False (list untouched) when there is no
// list (the bare type byte) or at the first record that is cut short or breaks a limit.
bool durum_cevabi_coz(const uint8_t* veri, size_t n, std::vector<haber>& liste);

// Login accepted: true when both strings are there within their limits and the ticket is
// not empty.
bool giris_kabul_coz(const uint8_t* veri, size_t n, std::string& bilet);

// Login refused: the code (-1 when absent) and the message (empty when absent or malformed).
void giris_red_coz(const uint8_t* veri, size_t n, int& kod, std::string& mesaj);

// Rejected: the reason (empty when absent or malformed).
std::string ret_nedeni(const uint8_t* veri, size_t n);

// The failure shown for a refusal code and message.
metinler::ileti red_iletisi(int kod, const std::string& mesaj);

}  // namespace sunucu
