// Error reporting: the single modal message box shown over everything once the window is up
// (coloured title, wrapped body, one "TAMAM" button), and one line on standard error before
// the window exists.
//
// A new box replaces the one shown; there is no queue. Showing is a plain state change that
// any main-thread code may make; the frame loop draws the box last (mesaj_ciz) and gives it
// the input layer 2 while it is open.
#pragma once
#include <cstdint>
#include <string>

struct mesaj_kutusu_kaydi {
    bool acik = false;    // the box is shown
    std::string baslik;   // title, UTF-8
    std::string metin;    // body, UTF-8, may hold '\n'
    uint32_t renk = 0;    // title colour, 0xRRGGBB
};

extern mesaj_kutusu_kaydi mesaj_kutusu;

void mesaj_goster(const std::string& baslik, const std::string& metin, uint32_t renk);
void hata_goster(const std::string& metin);   // title "HATA", 0xE07A5F
void bilgi_goster(const std::string& metin);  // title "BİLGİ", 0xE2C27A

// Draws the box centred on the canvas and handles its button; the frame loop calls it only
// while the box is open.
void mesaj_ciz();

// Writes the text and a line feed to standard error.
void hata_yaz(const std::string& metin);
