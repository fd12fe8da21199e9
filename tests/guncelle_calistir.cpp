// guncelle_calistir DIR URL [KEY [KIB_PER_S]]: one update run of the launcher's worker in DIR
// (with the signing key and the rate cap when given), then prints the final state number,
// and the status text on standard error. The crash-safety test kills it at random moments.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "updater/durum.h"
#include "updater/isci.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5 || chdir(argv[1]) != 0) return 2;
    guncelleme::kaynak k{argv[2], {}, argc > 3 ? argv[3] : "", "", argc > 4 ? std::atoll(argv[4]) * 1024 : 0};
    guncelleme::baslat(k, "MorvatanLauncher");
    if (guncelleme::iplik.joinable()) guncelleme::iplik.join();
    std::printf("%d\n", int(guncelleme::durum.load()));
    std::fprintf(stderr, "%s\n", guncelleme::mesaj_al().c_str());
    return 0;
}
