// Block indexes for delta updates: the operator's tool writes one for every listed file of
// FARK_ESIGI bytes or more, and a launcher that holds an old copy of such a file fetches it to
// find which blocks of the new file it already has, at any offset.
//
// An index is a static file "dosyalar-linux.blok/<sha256 of the file>" beside the manifest:
//   "morvatan-blok 1\n"
//   "<block size> <file size> <sha256 hex>\n"
//   then for each block of the file, in order (the last one may be shorter), 16 bytes: its
//   rolling checksum and the first 8 bytes of its SHA-256, both as little-endian 64-bit words.
// The index only decides what is fetched; the rebuilt file is checked against the manifest's
// digest like any download, so a wrong or hostile index costs bytes, never a wrong file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace blok {

const int64_t FARK_ESIGI = 4 << 20;    // files this large get an index
const int64_t BLOK_BOYUTU = 32768;     // bytes per block up to 4 GiB: an index is 1/2048 of its file
const uint64_t EN_COK_BLOK = 1 << 18;  // blocks an index may have: what matching holds stays small

// The block size the tool uses for a file: BLOK_BOYUTU, doubled until the file has at most
// half of EN_COK_BLOK blocks.
int64_t blok_boyutu_sec(int64_t dosya_boyutu);
const char* const KLASOR = "dosyalar-linux.blok";

// "dosyalar-linux.blok/<ozet>": where the index of the content with that digest is served.
std::string dizin_yolu(const std::string& ozet);

// True for a path inside the index folder: published beside the files, never listed.
bool dizin_klasorunde_mi(const std::string& yol);

struct dizin {
    int64_t blok_boyutu = 0;
    int64_t dosya_boyutu = 0;
    std::string ozet;              // the file's SHA-256, lower-case hex
    std::vector<uint64_t> zayif;   // rolling checksum of each block
    std::vector<uint64_t> guclu;   // first 8 bytes of each block's SHA-256
};

// The rolling checksum of `n` bytes: a polynomial over a fixed table of the byte values,
// modulo 2^64, so that one byte in and one out update it in a few operations.
uint64_t zayif_ozet(const uint8_t* veri, size_t n);

// M^(n-1), which takes the oldest byte out of the checksum of an n-byte window.
uint64_t cikis_carpani(size_t n);

// The checksum of the window moved one byte on: `eski` left it, `yeni` entered it.
uint64_t kaydir(uint64_t ozet, uint8_t eski, uint8_t yeni, uint64_t carpan);

// The first 8 bytes of the SHA-256 of `n` bytes, as a little-endian word.
uint64_t guclu_ozet(const uint8_t* veri, size_t n);

// The index of the file at `yol`, read once. False when it cannot be read whole.
bool dizin_olustur(const std::string& yol, dizin& d);

std::string dizin_metni(const dizin& d);

// Reads an index strictly: the two header lines exactly, the block size blok_boyutu_sec gives
// for the file's size, at most EN_COK_BLOK blocks, a 64-digit lower-case digest, and exactly one record per block.
// False for anything else.
bool dizin_coz(const std::string& metin, dizin& d);

}  // namespace blok
