// The two dialogs drawn over the main screen on layer 1: the login panel (name and password,
// or the two-step code; remember-me; cancel and login; the sign-up link) and the settings
// dialog (the game server address; cancel and save). Both share one box and one button layout.
//
// Each call draws one frame from shared state; the actions belong to the login flow and the
// server link. Main thread, with the window's OpenGL context.
#pragma once

namespace ekran {

// The login panel, while acik_panel is 1.
void giris();

// The settings dialog, while acik_panel is 2.
void ayarlar();

// The login panel is busy while a server login runs or a web request is in flight.
bool giris_mesgul_mu();

}  // namespace ekran
