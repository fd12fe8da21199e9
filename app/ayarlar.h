// Settings: the user's "launcher.ini" and the shipped "varsayilan.ini" as two ordered
// key=value lists; lookups prefer the user's entry, then the default, then the caller's fallback.
//
// File rules (both files): lines end at '\n', one trailing '\r' is dropped, empty lines,
// lines starting with '#' and lines without '=' are skipped, the key is everything before
// the first '=' and the value everything after it, nothing is trimmed, duplicates are kept
// (lookups see the first). Only the user's list is ever written back, by ini_yaz.
// Main thread only; worker threads receive copies of the values they need.
#pragma once
#include <string>
#include <vector>

struct ayar {
    std::string anahtar;  // key, byte for byte as in the file
    std::string deger;    // value, may be empty
};

struct ayar_tablosu {
    std::vector<ayar> kisisel;     // "launcher.ini", file order
    std::vector<ayar> varsayilan;  // "varsayilan.ini", file order
};

extern ayar_tablosu ayarlar;  // the one table of the process; filled at start-up

const size_t AYAR_SINIRI = 1 << 20;  // bytes; a larger settings file is no settings file

// Empties `liste`, then appends the entries of the file at `yol`. A missing file leaves it
// empty. A file that cannot be read (a directory, no permission, a read error, larger than
// AYAR_SINIRI) also leaves it empty and returns false; true otherwise.
bool ini_oku(const std::string& yol, std::vector<ayar>& liste);

// Reads both files. An unreadable "launcher.ini" is said on standard error and is never
// overwritten afterwards (ini_yaz then does nothing), so the player's file is not replaced by
// what little this run knows.
void ayarlari_oku();

// The same rules over a text already in memory.
void ini_coz(const std::string& metin, std::vector<ayar>& liste);

// First user entry, else first default entry, else `yedek`. An empty value counts as present.
std::string ayar_al(const std::string& anahtar, const std::string& yedek);

// A key's fallback when neither file holds it: "127.0.0.1" for `sunucu`, "1" for `hatirla`,
// "" for every other key. Every default lives in this one table.
const char* ayar_varsayilani(const std::string& anahtar);

// ayar_al with the key's own fallback.
std::string ayar_degeri(const std::string& anahtar);

// Overwrites the first user entry with that key, or appends one. Defaults never change.
void ayar_koy(const std::string& anahtar, const std::string& deger);

// Rewrites "launcher.ini" in the working directory from the user list (LF line ends),
// crash-safely: the old file stays whole until the new one is complete. A failure is silent.
// Nothing is written when ayarlari_oku found the file unreadable.
void ini_yaz();

// True when a web account service is configured (`hesap_api` not empty).
bool hesap_api_var();
