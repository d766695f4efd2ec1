// Layered windows: the attributes are kept on the window; the opacity goes to the compositing manager.

#include <X11/Xatom.h>

#include "property_values.h"
#include "layer.h"

bool applyOpacity(Display* display, const HWND__& window) {
    if (!display || !window.xwindow) return false;
    XErrorTrap trap(display);
    const Atom opacity = layer().atoms.netWmWindowOpacity;
    if ((window.layeredFlags & LWA_ALPHA) && window.alpha != 255) {
        const unsigned long value = opacityCardinal(window.alpha);
        XChangeProperty(display, window.xwindow, opacity, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
    } else {
        XDeleteProperty(display, window.xwindow, opacity); // no property means fully opaque
    }
    return !trap.failed();
}

// The colour key is stored for SwapBuffers, which makes keyed pixels see-through.
BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
    if (!window || window->destroyed || !(window->exStyle & WS_EX_LAYERED)) return FALSE;
    window->colorKey = key;
    window->alpha = alpha;
    window->layeredFlags = flags;
    return applyOpacity(layer().display, *window) ? TRUE : FALSE;
}
