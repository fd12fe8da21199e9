// External links through xdg-open, started apart from the launcher so that nothing is left
// for it to reap. No state.
#include "platform/baglanti.h"

#include "app/mesaj.h"
#include "app/metinler.h"
#include "platform/surec.h"

bool acilabilir_mi(const std::string& adres) {
    return adres.rfind("https://", 0) == 0 || adres.rfind("http://", 0) == 0;
}

void baglanti_ac(const std::string& adres) {
    if (!acilabilir_mi(adres)) {
        bilgi_goster(metinler::yaz({metinler::tur::BAGLANTI_HAZIR_DEGIL}));
        return;
    }
    // Handed to init: no zombie is left behind however many links are opened, and a
    // missing xdg-open or browser shows nothing (its child ends with 127).
    surec::cocuk c;
    c.yol = "xdg-open";
    c.argv = {"xdg-open", adres};
    c.yolda_ara = true;
    c.ayrik = true;
    pid_t pid;
    std::string neden;
    surec::baslat(c, pid, neden);
}
