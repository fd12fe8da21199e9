// Self-restart after the updater replaced the launcher's own executable: the main loop calls
// yeniden_baslat once per pass; it acts only when a restart is due and nothing holds it back.
#pragma once

namespace guncelleme {

// When the state is YENIDEN_BASLAT, no game runs and the login panel is closed: starts the
// executable path read at start-up in a child process and asks the window to close.
void yeniden_baslat();

}  // namespace guncelleme
