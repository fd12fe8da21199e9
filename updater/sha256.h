// SHA-256 (FIPS 180-4): the incremental state fed by the file check and by downloads, the
// whole-file digest, and the lowercase hexadecimal text the manifest compares against.
//
// The compression function runs on the processor's SHA extensions where they exist (chosen
// once, at first use) and on portable code everywhere else; both give identical results.
// A baglam is used by one thread at a time; bitir spends it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sha256 {

struct baglam {
    uint32_t h[8];           // chaining words H0..H7
    uint64_t bayt_sayisi;    // message bytes fed so far
    uint8_t blok[64];        // bytes of the current, not yet compressed block
    uint64_t dolu;           // valid bytes in `blok`, 0..63 between calls
};

void baslangic(baglam& b);
void ekle(baglam& b, const uint8_t* veri, size_t n);
std::vector<uint8_t> bitir(baglam& b);  // 32 bytes, H0..H7 big-endian

// The compression function of one 64-byte block.
void blok_isle(uint32_t h[8], const uint8_t blok[64]);

// "0123456789abcdef", high nibble first.
std::string onaltilik(const std::vector<uint8_t>& ozet);

// Digest text of a whole file; a file that cannot be opened counts as empty.
std::string dosya_ozeti(const std::string& yol);

// Digest text and byte count of a whole file. False (outputs untouched) when the file cannot
// be opened or a read fails: a publisher must never sign a digest of bytes it did not read.
bool dosya_ozeti_al(const std::string& yol, std::string& ozet, int64_t& boyut);

// Whether the processor offers the SHA extensions.
bool donanim_var();
// Chooses the hardware (true) or portable (false) path for every later call; the hardware
// path is taken only where it exists. Returns whether the hardware path is now in use.
bool donanim_sec(bool donanim);

}  // namespace sha256
