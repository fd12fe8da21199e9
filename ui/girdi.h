// The per-frame input record: pointer position in logical units, the left button's state
// and edges, the widget holding the current press, the active layer and the cursor wishes.
//
// Written by the window system's mouse callback and the frame loop, read by the widgets;
// main thread only.
#pragma once

struct girdi_kaydi {
    float fare_x = 0, fare_y = 0;  // pointer, logical units
    bool basili = false;           // left button is down
    bool basildi = false;          // went down since the last frame
    bool birakildi = false;        // went up since the last frame
    const char* etkin_kimlik = nullptr;  // id of the widget that took the press (compared by text)
    int katman = 0;                // 0 main screen, 1 open dialog, 2 message box
    bool el_imleci = false;        // a clickable widget is under the pointer
    bool yazi_imleci = false;      // a text field is under the pointer
};

extern girdi_kaydi girdi;

// GLFW mouse-button callback: only the left button; press sets basili and basildi,
// any other action sets birakildi and clears basili.
void fare_dugmesi(int dugme, int eylem);
