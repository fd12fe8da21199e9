// The signing side of morvatan-liste: the operator's key pair, the signature file of a
// manifest, and the check of a published folder exactly as a launcher would make it.
//
// The secret key file holds the 64-byte Ed25519 secret key as 128 hexadecimal digits and a
// line feed; it is created with mode 0600 and never overwritten. The public key, printed as 64
// hexadecimal digits, is what goes into `imza_anahtari` of the shipped varsayilan.ini.
#pragma once
#include <string>
#include <vector>

#include "updater/imza.h"

struct liste_imzasi {
    std::vector<std::string> dosyalar;                 // the secret key files, the main one first
    std::vector<guncelleme::gizli_anahtar> gizliler;   // their keys, in the same order
    uint64_t sira = 0;       // 0: the current Unix time
    int64_t gecerlilik = 0;  // days until expiry, 0 for none
};

// --anahtar-uret FILE: writes a new secret key, prints the public key. Exit status.
int anahtar_uret(const std::string& dosya);

// The public half of a secret key as 64 lowercase hexadecimal digits.
std::string acik_anahtar_hex(const guncelleme::gizli_anahtar& gizli);

// --acik-anahtar FILE: prints the public key of a secret key file again. Exit status.
int acik_anahtari_yaz(const std::string& dosya);

// Reads a secret key file; reports and returns false when it cannot.
bool gizli_anahtar_oku(const std::string& dosya, guncelleme::gizli_anahtar& gizli);

const long long EN_UZUN_GECERLILIK = 36500;  // days; a century, far within 64-bit seconds

// Applies "--sira N" or "--gecerlilik DAYS"; false for a value that is not a number or a
// validity longer than EN_UZUN_GECERLILIK (said on standard error).
bool imza_secenegi(const std::string& ad, const std::string& deger, liste_imzasi& imza);

// The signature file text of a manifest.
std::string imza_dosyasi(const std::string& liste, const liste_imzasi& imza);

// PUBLIC, for both checks, may list several keys separated by spaces (as `imza_anahtari` does).
// --dogrula PUBLIC DIR: the signature (not the accepted sequence, which belongs to a player's
// installation; expiry does count) and every listed file's size and digest; a listed file
// that is missing fails it, a file in DIR that is not listed is named. Exit status.
int klasoru_dogrula(const std::string& acik, const std::string& klasor);

// --dogrula PUBLIC URL [--boyut]: what a host (or a cache before it) actually serves, fetched
// through curl as a launcher fetches it: the manifest and its signature, asked with
// "Cache-Control: no-cache", then every listed file through its launcher address with its
// digest compared (tools/sunulan_denetim.h), so an operator sees a missing file, a stale
// cache or a broken certificate before any player does; with --boyut only each file's size
// from a HEAD request. Exit status.
int adresi_dogrula(const std::string& acik, const std::string& adres, bool yalniz_boyut);
