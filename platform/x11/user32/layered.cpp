// Layered windows: the attributes are kept on the window; the opacity goes to the compositing manager,
// or into the window's own alpha where its GL surface blends per pixel (see gdi32/translucency.cpp).

#include <X11/Xatom.h>

#include <vector>

#include "property_values.h"
#include "layer.h"

bool applyOpacity(Display* display, const HWND__& window) {
    if (!display || !window.xwindow) return false;
    XErrorTrap trap(display);
    const Atom opacity = layer().atoms.netWmWindowOpacity;
    // NOTE: while the frame carries the opacity in its own alpha, a compositor applying the hint as
    // well would blend the window twice; once the window has drawn, its translucency decides.
    const signed char decided = window.dc ? window.dc->translucency.opacityHint : -1;
    if ((window.layeredFlags & LWA_ALPHA) && window.alpha != 255 && decided != 0) {
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

// NOTE: X fixes a window's visual when it is made, and a compositor blends a window by the alpha of
// its own visual, so per-pixel alpha needs the top-level window itself on the surface's visual. Only
// a window never shown is remade: no window manager has seen it yet.
bool moveWindowToVisual(HWND__* window, const XVisualInfo& visual, Colormap colormap) {
    Display* display = layer().display;
    if (!display || !window || window->destroyed || !window->xwindow || (window->style & WS_VISIBLE)) return false;
    if (window->visual == visual.visual) return true;
    XErrorTrap trap(display);
    XWindowAttributes old = {};
    if (!XGetWindowAttributes(display, window->xwindow, &old) || old.map_state != IsUnmapped) return false;
    if (trap.failed()) return false;
    const Window remade = createTopLevel(display, *window, visual.visual, visual.depth, colormap, old.x, old.y);
    if (!remade) return false;
    const Window previous = window->xwindow;
    layer().windows.erase(previous);
    window->xwindow = remade;
    layer().windows[remade] = window;
    // The layer set every property the old window had; set again here, without reading them back.
    setWindowProperties(display, *window, old.x, old.y);
    applyOpacity(display, *window);
    XDestroyWindow(display, previous);
    return true; // a property that failed to set is not worth keeping the old visual for
}
