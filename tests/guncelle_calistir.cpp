// guncelle_calistir DIR URL: one update run of the launcher's worker in DIR, then prints the
// final state number. The crash-safety test kills it at random moments.
#include <unistd.h>

#include <cstdio>

#include "updater/durum.h"
#include "updater/isci.h"

int main(int argc, char** argv) {
    if (argc != 3 || chdir(argv[1]) != 0) return 2;
    guncelleme::baslat(argv[2], "MorvatanLauncher");
    if (guncelleme::iplik.joinable()) guncelleme::iplik.join();
    std::printf("%d\n", int(guncelleme::durum.load()));
    return 0;
}
