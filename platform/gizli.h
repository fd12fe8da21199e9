// Secrets in memory: the one way the launcher wipes a password, a code, a request body or an
// answer, and a string type whose every heap block is zeroed before it is released.
//
// A wiped string keeps its capacity, so a field that had room reserved up front never moves
// its bytes to a new block (which would leave the old one, password included, on the heap).
// The wipes use explicit_bzero, which the compiler may not drop. Any thread.
#pragma once
#include <cstddef>
#include <string>

namespace gizli {

// An allocator that zeroes each block before handing it back.
template <class T>
struct silen_ayirici {
    using value_type = T;
    silen_ayirici() = default;
    template <class U>
    silen_ayirici(const silen_ayirici<U>&) {}
    T* allocate(size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, size_t n);
    template <class U>
    bool operator==(const silen_ayirici<U>&) const { return true; }
    template <class U>
    bool operator!=(const silen_ayirici<U>&) const { return false; }
};

void bayt_sil(void* p, size_t n);

template <class T>
void silen_ayirici<T>::deallocate(T* p, size_t n) {
    bayt_sil(p, n * sizeof(T));
    std::allocator<T>().deallocate(p, n);
}

// A string for secrets; give it capacity before the secret goes in (reserve), so that it
// lives in one heap block from first to last byte.
using dize = std::basic_string<char, std::char_traits<char>, silen_ayirici<char>>;

const size_t SIFRE_KAPASITESI = 256;   // a password field: 64 code points of up to 3 bytes
const size_t GOVDE_KAPASITESI = 4096;  // a login request body with every byte escaped

// Zeroes every byte the string owns (its whole capacity) and empties it; the block stays.
void sil(std::string& s);
void sil(dize& s);

}  // namespace gizli
