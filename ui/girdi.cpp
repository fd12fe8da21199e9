// The per-frame input record and the mouse-button handler that feeds it.
// `girdi` is owned here; written by callbacks and the frame loop on the main thread.
#include "ui/girdi.h"

#include <GLFW/glfw3.h>

girdi_kaydi girdi;

void fare_dugmesi(int dugme, int eylem) {
    if (dugme != GLFW_MOUSE_BUTTON_LEFT) return;
    if (eylem == GLFW_PRESS) {
        girdi.basili = true;
        girdi.basildi = true;
    } else {
        girdi.birakildi = true;
        girdi.basili = false;
    }
}
