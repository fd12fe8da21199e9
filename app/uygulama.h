// The application shell: start-up in the executable's directory, the one frame loop on the
// main thread, and the orderly shutdown.
//
// calistir returns the process exit status: 0 after a normal end, 1 when start-up failed
// before a window existed (the reason is one line on standard error).
#pragma once

namespace uygulama {

int calistir();

}  // namespace uygulama
