// The login flow: what the login button does on either road, what the launcher does with the
// account service's answer, and closing the open panel. Every message the player sees here
// goes through the message box.
//
// Main thread only; the web request's results are read after its worker has been joined.
#pragma once
#include <string>

#include "app/metinler.h"

extern bool kod_modu;  // the login panel asks for the two-step code (code field for password)

// Whether an update check, download or restart is under way: no sign-in may start a game then.
bool guncelleme_suruyor_mu();

// The login button, Enter and keypad Enter in the login panel. Does nothing while a sign-in
// is under way or guncelleme_suruyor_mu.
void giris_baslat();

// Run by the main loop when the web request has both `suruyor` and `hazir` set.
void web_cevabi_devral();

// The cancel button, Escape, and leaving the settings dialog without saving.
void panel_kapat();

// Starts the game with a ticket and hides the window; a failure to start is shown. The web
// road closes the login panel, the server road leaves it open behind the hidden window.
void bilet_ile_oyunu_baslat(const std::string& bilet, bool paneli_kapat);

// What an answer that carries no ticket and came with a status other than 0 does: switch to
// code mode, stay in it with an empty code, or end the attempt with a text.
struct ret_karari {
    enum tur_t { KOD_ISTENDI, KOD_YANLIS, REDDEDILDI } tur = REDDEDILDI;
    metinler::ileti metin;  // what is shown (bilgi for KOD_ISTENDI, hata otherwise)
};
ret_karari ret_karari_ver(long durum, const std::string& cevap);

// Registers the keyboard actions and gives the secret fields their room up front.
void giris_hazirla();
