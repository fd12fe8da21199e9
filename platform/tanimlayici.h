// One open file descriptor with exactly one owner: a plain move-only record that closes what
// it holds when it goes, so that no early return can leak a descriptor. Held wherever a raw
// descriptor lives across more than a few lines. Any thread.
#pragma once
#include <unistd.h>

struct tanimlayici {
    int fd = -1;  // -1: holds nothing

    tanimlayici() = default;
    explicit tanimlayici(int f) : fd(f) {}
    ~tanimlayici() { kapat(); }
    tanimlayici(tanimlayici&& o) noexcept : fd(o.fd) { o.fd = -1; }
    tanimlayici& operator=(tanimlayici&& o) noexcept {
        if (this != &o) {
            kapat();
            fd = o.fd;
            o.fd = -1;
        }
        return *this;
    }
    tanimlayici(const tanimlayici&) = delete;
    tanimlayici& operator=(const tanimlayici&) = delete;

    bool acik() const { return fd >= 0; }
    // Closes now; close's result (a delayed write error shows here), 0 when nothing was held.
    int kapat() {
        const int sonuc = fd >= 0 ? ::close(fd) : 0;
        fd = -1;
        return sonuc;
    }
    // Hands the descriptor over to a caller that keeps it for the life of the process.
    int birak() {
        const int f = fd;
        fd = -1;
        return f;
    }
};
