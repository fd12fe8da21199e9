// The keyboard: typed characters into the focused field, and the keys Enter, keypad Enter,
// Escape, Tab, Backspace and Ctrl+A/C/V/X (select all, copy, paste, cut; a hidden field's
// text is never copied). Shortcuts go by the letter the key types in the player's layout, not
// by its place on a US keyboard. While the message box is shown, Enter and Escape close it
// and everything else is ignored; while the game runs, everything is ignored.
//
// The actions behind Enter and Escape belong to the screens and the login flow; they register
// themselves in `eylemler`. Main thread only (GLFW callbacks).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace arayuz {

struct klavye_eylemleri {
    void (*giris_baslat)() = nullptr;  // Enter in the login panel
    void (*ayar_kaydet)() = nullptr;   // Enter in the settings dialog
    void (*panel_kapat)() = nullptr;   // Escape with a panel open (null: close it, clear focus)
};
extern klavye_eylemleri eylemler;

// Two-step code mode of the login panel: Tab from the user name goes to the code field.
extern bool (*kod_modu_mu)();

// Character callback: a Unicode code point.
void karakter(uint32_t c);

// Feeds the code points of a pasted text through the character input, so the class filter
// and the length limit apply; line feeds and other control characters are dropped. Stops
// once the field is full, and looks at no more than PANO_SINIRI bytes: a paste of megabytes
// costs no more than a short one.
void metni_yapistir(std::string_view metin);

// The letter of a shortcut key: `ad` is what the layout types on it (glfwGetKeyName; null for
// a key it cannot name), `tus_kodu` GLFW's token, named by the US position. A name of one
// ASCII letter counts, in lower case; a key with no name falls back on its token's letter;
// anything else (a digit, "ş", "ı") is no shortcut letter: 0.
char kisayol_harfi(const char* ad, int tus_kodu);

// Key callback: GLFW key, scan code, action and modifier bits.
void tus(int tus_kodu, int tarama, int eylem, int degistirici);

}  // namespace arayuz
