// SwapBuffers: the colour-key shape of a layered window, then the GLX swap.

#include "gl_platform.h"

namespace {

bool usesColorKey(const HWND__& window) {
    return (window.exStyle & WS_EX_LAYERED) && (window.layeredFlags & LWA_COLORKEY);
}

} // namespace

BOOL SwapBuffers(HDC dc) {
    Display* display = x11Display();
    if (!display || !dc || !dc->drawable || dc->window->destroyed) return FALSE;
    if (usesColorKey(*dc->window)) {
        updateColorKeyShape(dc);
    } else {
        clearColorKeyShape(dc);
    }
    glXSwapBuffers(display, dc->drawable);
    return TRUE;
}
