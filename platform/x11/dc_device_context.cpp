// GetDC and ReleaseDC for windows of a CS_OWNDC class: one device context per window for good.

#include "gl_platform.h"

HDC GetDC(HWND window) {
    if (!window || window->destroyed || !window->xwindow || !x11Display()) return nullptr;
    if (!window->dc) {
        window->dc = new HDC__;
        window->dc->window = window;
    }
    return window->dc;
}

// The window's own context stays valid until the window goes, so releasing it frees nothing.
// NOTE: the window may already be destroyed at shut-down; only the pointers are compared.
int ReleaseDC(HWND window, HDC dc) { return dc && dc->window == window ? 1 : 0; }
