// Signed manifests: the signature file served beside the manifest, its check against the
// operator's Ed25519 public key (libsodium), and the highest sequence number this
// installation has accepted, so an older signed manifest can never be replayed.
//
// Signature file "dosyalar-linux.txt.imza":
//     morvatan-imza 2
//     liste NAME        the manifest's file name ("dosyalar-linux.txt")
//     sira N            sequence number (unsigned decimal; the publish time by default)
//     bitis T           expiry in Unix seconds, 0 for none
//     imza HEX          128 hexadecimal digits: an Ed25519 signature; one to IMZA_EN_COK
//                       such lines, one per signing key
// Each signature covers the first four lines exactly as above, followed by the manifest's
// exact bytes, so neither the manifest nor its name, sequence or expiry can be changed alone:
// a manifest signed for another platform or channel with the same key is not this one.
// Several signatures let an operator move to a new key without stranding players who still
// trust only the old one: releases are signed with both for as long as such players may
// come back (the launcher's `imza_anahtari` may list several keys; one that holds is enough).
// The four-line files of the first format named no manifest and are refused for that reason.
// Pure functions except sira_oku/sira_yaz (the record file in the working directory).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace guncelleme {

const char* const LISTE_DOSYASI = "dosyalar-linux.txt";
const char* const IMZA_DOSYASI = "dosyalar-linux.txt.imza";
const char* const SIRA_DOSYASI = "guncelleme.sira";

const size_t IMZA_EN_COK = 4;  // signatures in one file, and keys in one setting

using acik_anahtar = std::array<uint8_t, 32>;
using gizli_anahtar = std::array<uint8_t, 64>;
using imza_baytlari = std::array<uint8_t, 64>;  // one Ed25519 signature
using anahtar_listesi = std::vector<acik_anahtar>;

struct imza_kaydi {
    std::string liste = LISTE_DOSYASI;  // the manifest the signatures are for
    uint64_t sira = 0;
    int64_t bitis = 0;                    // Unix seconds; 0: never expires
    std::vector<imza_baytlari> imzalar;   // one per signing key, file order
};

// Strict reading of a signature file: exactly the four header lines and one to IMZA_EN_COK
// signature lines (LF, an optional CR), a name of printable bytes, decimal numbers without
// signs or leading spaces, 128 hex digits. False leaves `k` unchanged.
bool imza_coz(const std::string& metin, imza_kaydi& k);

// The file text of a record.
std::string imza_metni(const imza_kaydi& k);

// 64 hexadecimal digits into a public key; false for anything else.
bool anahtar_coz(const std::string& onaltilik, acik_anahtar& anahtar);

// One to IMZA_EN_COK public keys separated by single spaces (the `imza_anahtari` setting);
// false, with `anahtarlar` untouched, for anything else.
bool anahtarlar_coz(const std::string& metin, anahtar_listesi& anahtarlar);

enum class dogrulama {
    TAMAM,          // signed by one of the keys over these bytes, not older, not expired
    GECERSIZ,       // no signature holds under any of the keys
    BASKA_LISTE,    // a true signature of another manifest name
    ESKI,           // sequence below the accepted one
    SURESI_DOLMUS,  // expiry in the past
};

// Checks the manifest bytes, fetched as LISTE_DOSYASI, against the record; name, sequence and
// expiry count only once the signature holds.
dogrulama dogrula(const std::string& liste, const imza_kaydi& k, const anahtar_listesi& anahtarlar,
                  uint64_t kabul_edilen, int64_t simdi);

// Signs the manifest bytes with the record's name, sequence and expiry; the signature is
// appended to k.imzalar.
void imzala(const std::string& liste, imza_kaydi& k, const gizli_anahtar& gizli);

// The accepted sequence record of the working directory (0 when there is none).
uint64_t sira_oku();
// A sequence setting ("imza_sira": the one the package was made from); 0 when not a number.
uint64_t sira_coz(const std::string& metin);
bool sira_yaz(uint64_t sira);  // crash-safe

}  // namespace guncelleme
