/* sessiz_pano: takes the CLIPBOARD selection and never answers a request for it, as a hung
   program would; prints "hazir" once it owns the selection and lives until killed. Used by
   the window test of pasting. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <unistd.h>

int main(void) {
    Display* ekran = XOpenDisplay(NULL);
    if (!ekran) return 1;
    Window pencere = XCreateSimpleWindow(ekran, DefaultRootWindow(ekran), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(ekran, XInternAtom(ekran, "CLIPBOARD", False), pencere, CurrentTime);
    XSync(ekran, False);
    printf("hazir\n");
    fflush(stdout);
    for (;;) pause(); /* requests pile up unread */
}
