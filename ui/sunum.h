// Putting a part of a drawn frame in the window, where the X server's GLX can copy a part of
// the back buffer to the window (GLX_MESA_copy_sub_buffer).
//
// A copy leaves the back buffer as it was, so it keeps holding the frame on screen and the next
// frame need only redraw what differs (for the software renderer a whole frame costs tens of
// milliseconds, a progress bar a fraction of that). Main thread, the window's context current.
#pragma once
#include "ui/cizim.h"

namespace sunum {

// Whether a part can be shown; asked once.
bool parcali_mi();

// Shows `a` of the back buffer in the window. Only when parcali_mi.
void parca_goster(const cizim::alan& a);

}  // namespace sunum
