/* piksel_oku WINDOW X Y [X Y ...]: prints "R G B" for each point of an X window (TrueColor,
   8 bits per channel), one line per point.
   piksel_oku WINDOW -r X Y W H: the same for every pixel of the rectangle, row by row.
   Used by the tests of the real launcher's screens. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>

static void yaz(XImage* img, int x, int y) {
    unsigned long p = XGetPixel(img, x, y);
    printf("%lu %lu %lu\n", (p >> 16) & 255, (p >> 8) & 255, p & 255);
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "kullanim: piksel_oku PENCERE X Y [X Y ...]\n");
        return 2;
    }
    Display* ekran = XOpenDisplay(NULL);
    if (!ekran) return 1;
    Window pencere = (Window)strtoul(argv[1], NULL, 0);
    /* Only the rectangle asked for is fetched, which keeps the X server's work small. */
    XImage* img = NULL;
    if (argc == 7 && argv[2][0] == '-' && argv[2][1] == 'r') {
        int x0 = atoi(argv[3]), y0 = atoi(argv[4]), w = atoi(argv[5]), h = atoi(argv[6]);
        img = XGetImage(ekran, pencere, x0, y0, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
        if (!img) return 1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) yaz(img, x, y);
    } else {
        for (int i = 2; i + 1 < argc; i += 2) {
            img = XGetImage(ekran, pencere, atoi(argv[i]), atoi(argv[i + 1]), 1, 1, AllPlanes, ZPixmap);
            if (!img) return 1;
            yaz(img, 0, 0);
            XDestroyImage(img);
            img = NULL;
        }
    }
    if (img) XDestroyImage(img);
    XCloseDisplay(ekran);
    return 0;
}
