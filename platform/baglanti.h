// External links: an http or https address opens in the player's browser through xdg-open;
// anything else (an empty address included) shows a notice that the link is not ready.
// Main thread only; the browser process runs on its own.
#pragma once
#include <string>

// Opens the address, or says in a notice box that the link is not ready (BAGLANTI_HAZIR_DEGIL).
void baglanti_ac(const std::string& adres);

// Whether the address is one baglanti_ac hands to the browser (the prefix test is exact).
bool acilabilir_mi(const std::string& adres);
