// Showing a part of a frame through GLX: the check for GLX_MESA_copy_sub_buffer and the copy.
// Owns the copy function's address.
#include "ui/sunum.h"

#include <GL/glx.h>

#include <cstring>

namespace sunum {
namespace {

using kopyala_fn = void (*)(Display*, GLXDrawable, int, int, int, int);

// The copy function, when the context is GLX and its display offers the extension.
kopyala_fn kopyalayici() {
    Display* ekran = glXGetCurrentDisplay();
    if (!ekran || !glXGetCurrentContext()) return nullptr;
    const char* uzantilar = glXQueryExtensionsString(ekran, DefaultScreen(ekran));
    if (!uzantilar || !std::strstr(uzantilar, "GLX_MESA_copy_sub_buffer")) return nullptr;
    return reinterpret_cast<kopyala_fn>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA")));
}

kopyala_fn kopyala = nullptr;
bool soruldu = false;

}  // namespace

bool parcali_mi() {
    if (!soruldu) {
        kopyala = kopyalayici();
        soruldu = true;
    }
    return kopyala != nullptr;
}

void parca_goster(const cizim::alan& a) {
    kopyala(glXGetCurrentDisplay(), glXGetCurrentDrawable(), a.x, a.y, a.genislik, a.yukseklik);
}

}  // namespace sunum
