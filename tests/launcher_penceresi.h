// A real launcher under the X server, for window tests: started in a fresh run-time
// directory with given settings, found by its process, read by pixels or by OCR, clicked,
// typed into and asked to close as a desktop would.
#pragma once
#include <sys/types.h>

#include <array>
#include <functional>
#include <string>

#include "tests/yardimci.h"

namespace launcher_penceresi {

using rgb = std::array<int, 3>;

inline int parlaklik(rgb c) { return c[0] + c[1] + c[2]; }

struct calisan_launcher {
    yardimci::gecici_dizin dizin;
    pid_t pid = -1;
    std::string id;
    int x = 0, y = 0;  // window origin on the screen

    // Writes `ayarlar` as launcher.ini, lets `hazirla` change the run-time directory, starts
    // the launcher and waits for its window.
    explicit calisan_launcher(const std::string& ayarlar,
                              const std::function<void(const std::string& dizin)>& hazirla = {});
    // A launcher someone else started (process `var_olan`): waits for its window.
    explicit calisan_launcher(pid_t var_olan);
    ~calisan_launcher();  // kills a launcher a failed test left running
    calisan_launcher(const calisan_launcher&) = delete;
    calisan_launcher& operator=(const calisan_launcher&) = delete;

    void konum_oku();  // the window origin, again (after a resize or a move)
    rgb piksel(int px, int py) const;
    void tikla(int px, int py) const;
    // Clicks START and waits until the sign-in panel dims the screen: keys typed before the
    // launcher has drawn that frame would find no field to go to.
    bool paneli_ac() const;
    std::string hata_metni() const;
    // The text in a rectangle of the window, read by OCR from a screenshot scaled up 4x;
    // `tek_satir` reads it as one line, else as a block.
    std::string ekran_yazisi(int x0, int y0, int w, int h, bool tek_satir = true) const;
    void tus(const std::string& ad) const;
    void yaz(const std::string& metin) const;  // types with xdotool
    // Asks the window to close as a desktop does; returns the exit status.
    int kapat_iste();
    // The message box dims the sky at (60, 60) that was `gok` before it opened.
    bool kutu_acik(const rgb& gok) const;
    bool kutu_kapali(const rgb& gok) const;
    // True when any pixel of the rectangle is within `tolerans` of the colour.
    bool renk_var(int x0, int y0, int w, int h, rgb renk, int tolerans) const;
    // Every pixel of the rectangle as text, row by row: equal texts, equal pictures.
    std::string bolge(int x0, int y0, int w, int h) const;
    // Whether the launcher's window is mapped and viewable.
    bool gorunur_mu() const;
};

}  // namespace launcher_penceresi
