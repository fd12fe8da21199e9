// Error reporting before the window exists: one line on standard error.
// (The modal message box shown once the window is up lives here too.)
#pragma once
#include <string>

// Writes the text and a line feed to standard error.
void hata_yaz(const std::string& metin);
