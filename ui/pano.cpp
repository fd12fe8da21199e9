// The clipboard read through Xlib with a deadline; GLFW's own call where there is no X11
// display or the window owns the clipboard itself. No state.
#include "ui/pano.h"

#include <GLFW/glfw3.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstring>

#include "platform/gizli.h"

// GLFW's native-access calls for X11. Its glfw3native.h would also pull in the XRandR
// headers, which nothing else here needs.
extern "C" Display* glfwGetX11Display(void);
extern "C" Window glfwGetX11Window(GLFWwindow* pencere);

namespace {

void ekle_en_cok(std::string& cikti, const char* veri, size_t n) {
    cikti.append(veri, n < PANO_SINIRI ? n : PANO_SINIRI);
}

// Waits for the owner's answer to our request; false when the deadline passed first.
bool cevap_bekle(Display* d, Window pencere, XEvent& olay) {
    using saat = std::chrono::steady_clock;
    const auto son = saat::now() + std::chrono::duration<double>(PANO_SURESI);
    while (!XCheckTypedWindowEvent(d, pencere, SelectionNotify, &olay)) {
        const auto kalan = std::chrono::duration_cast<std::chrono::milliseconds>(son - saat::now()).count();
        if (kalan <= 0) return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, int(kalan));
    }
    return true;
}

bool ozellikten_oku(Display* d, Window pencere, Atom ozellik, std::string& cikti) {
    Atom tur = None;
    int bicim = 0;
    unsigned long adet = 0, kalan = 0;
    unsigned char* veri = nullptr;
    const long uzunluk = long(PANO_SINIRI / 4);  // in 32-bit units
    if (XGetWindowProperty(d, pencere, ozellik, 0, uzunluk, False, AnyPropertyType, &tur, &bicim, &adet, &kalan,
                           &veri) != Success)
        return false;
    XDeleteProperty(d, pencere, ozellik);
    const bool metin = veri && bicim == 8 && tur == XInternAtom(d, "UTF8_STRING", False);
    if (metin) ekle_en_cok(cikti, reinterpret_cast<const char*>(veri), adet);
    if (veri) {
        gizli::bayt_sil(veri, adet * size_t(bicim / 8));
        XFree(veri);
    }
    return metin;
}

}  // namespace

namespace {
Window kendi_sahibimiz = None;  // the window GLFW owns the clipboard from, once we copied
}  // namespace

void pano_yaz(GLFWwindow* pencere, const std::string& metin) {
    glfwSetClipboardString(pencere, metin.c_str());
    Display* d = glfwGetX11Display();
    if (d) kendi_sahibimiz = XGetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False));
}

bool pano_oku(GLFWwindow* pencere, std::string& cikti) {
    Display* d = glfwGetX11Display();
    const Window pen = pencere ? glfwGetX11Window(pencere) : None;
    if (!d || pen == None) {
        const char* s = pencere ? glfwGetClipboardString(pencere) : nullptr;
        if (s) ekle_en_cok(cikti, s, std::strlen(s));
        return s != nullptr;
    }
    const Atom pano = XInternAtom(d, "CLIPBOARD", False);
    const Window sahip = XGetSelectionOwner(d, pano);
    if (sahip == None) return false;
    if (sahip == pen || sahip == kendi_sahibimiz) {  // our own copy: a request to ourselves would wait for ever
        const char* s = glfwGetClipboardString(pencere);
        if (s) ekle_en_cok(cikti, s, std::strlen(s));
        return s != nullptr;
    }
    const Atom ozellik = XInternAtom(d, "MORVATAN_PANO", False);
    XConvertSelection(d, pano, XInternAtom(d, "UTF8_STRING", False), ozellik, pen, CurrentTime);
    XFlush(d);
    XEvent olay;
    if (!cevap_bekle(d, pen, olay) || olay.xselection.property == None) return false;
    return ozellikten_oku(d, pen, olay.xselection.property, cikti);
}
