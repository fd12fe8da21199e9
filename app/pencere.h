// The window and the process-wide shell state: the GLFW window, the logical canvas, which
// screen is up, which panel is open, the remember-me flag and the monotonic clock.
//
// Owned by the application shell (app/uygulama.cpp); main thread only.
#pragma once
#include <string>

struct GLFWwindow;
struct hiz_olcumu;
struct metin_alani;

extern GLFWwindow* pencere;     // the one window; null until created
extern int tuval_genislik;      // logical canvas width: 800, 1280 on the closing screen
extern int tuval_yukseklik;     // logical canvas height: 610, 640 on the closing screen
extern int oyun_durumu;         // 0 launcher in use, 1 game running (hidden), 2 closing screen
extern int acik_panel;          // 0 none, 1 login panel, 2 settings dialog
extern bool beni_hatirla;       // remember-me box of the login panel
extern std::string calistirilan_yol;  // "/proc/self/exe" as read at start-up (restart, desktop entry)
extern hiz_olcumu indirme_hizi;       // smoothed download rate, updated once per frame

// The one way a panel opens or closes: `acik_panel` becomes `panel` (0 closes) and the focus
// goes to `alan` (null: none).
void paneli_ac(int panel, metin_alani* alan);

// Monotonic clock in seconds (nanoseconds / 1e9).
double steady_saniye();
