/* kapatma_iste WINDOW_ID: asks an X window to close the way a desktop does, with a
   WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Used by the window tests. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "kullanim: kapatma_iste PENCERE\n");
        return 2;
    }
    Display* ekran = XOpenDisplay(NULL);
    if (!ekran) return 1;
    Window pencere = (Window)strtoul(argv[1], NULL, 0);
    XEvent olay;
    memset(&olay, 0, sizeof olay);
    olay.xclient.type = ClientMessage;
    olay.xclient.window = pencere;
    olay.xclient.message_type = XInternAtom(ekran, "WM_PROTOCOLS", False);
    olay.xclient.format = 32;
    olay.xclient.data.l[0] = (long)XInternAtom(ekran, "WM_DELETE_WINDOW", False);
    olay.xclient.data.l[1] = CurrentTime;
    XSendEvent(ekran, pencere, False, NoEventMask, &olay);
    XFlush(ekran);
    XCloseDisplay(ekran);
    return 0;
}
