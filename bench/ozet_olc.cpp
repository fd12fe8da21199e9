// ozet_olc FILE: hashes the file with the launcher's SHA-256 and prints "<seconds> <digest>".
// Run by bench/olc.sh beside `openssl dgst -sha256` of the same file.
#include <chrono>
#include <cstdio>

#include "updater/sha256.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "kullanim: ozet_olc DOSYA\n");
        return 2;
    }
    auto bas = std::chrono::steady_clock::now();
    std::string ozet = sha256::dosya_ozeti(argv[1]);
    std::chrono::duration<double> sure = std::chrono::steady_clock::now() - bas;
    std::printf("%.4f %s\n", sure.count(), ozet.c_str());
    return 0;
}
