// yazma_dongusu DIR: rewrites launcher.ini and guncelleme.cache in DIR in a loop, alternating
// two contents of each, until killed. The crash-safety test kills it at random moments.
#include <unistd.h>

#include <string>

#include "app/ayarlar.h"
#include "updater/onbellek.h"

int main(int argc, char** argv) {
    if (argc != 2 || chdir(argv[1]) != 0) return 2;
    for (unsigned i = 0;; ++i) {
        const char harf = i % 2 ? 'b' : 'a';
        ayarlar.kisisel = {{"sunucu", std::string(3000, harf)}, {"kullanici", std::string(1, harf)}};
        ini_yaz();
        guncelleme::onbellek tablo;
        for (int k = 0; k < 2000; ++k)
            tablo["dosya" + std::to_string(k)] = guncelleme::onbellek_kaydi{k, k, std::string(64, harf)};
        guncelleme::onbellek_yaz(tablo);
    }
}
