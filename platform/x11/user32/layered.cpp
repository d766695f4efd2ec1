// Layered windows: the attributes are kept on the window; the opacity goes to the compositing manager,
// or into the window's own alpha where its GL surface blends per pixel (see gdi32/swap_buffers.cpp).

#include <X11/Xatom.h>

#include <vector>

#include "property_values.h"
#include "layer.h"

bool applyOpacity(Display* display, const HWND__& window) {
    if (!display || !window.xwindow) return false;
    XErrorTrap trap(display);
    const Atom opacity = layer().atoms.netWmWindowOpacity;
    // NOTE: while the frame carries the opacity in its own alpha, a compositor applying the hint as
    // well would blend the window twice.
    const bool inAlpha = window.dc && window.dc->alphaPassOn;
    if ((window.layeredFlags & LWA_ALPHA) && window.alpha != 255 && !inAlpha) {
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

namespace {

// Every property of one window onto another, as stored.
void copyProperties(Display* display, Window from, Window to) {
    int count = 0;
    Atom* names = XListProperties(display, from, &count);
    for (int i = 0; i < count; ++i) {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, from, names[i], 0, 0x7FFFFFFF, False, AnyPropertyType, &type, &format, &items,
                               &remaining, &data) == Success &&
            type != None) {
            XChangeProperty(display, to, names[i], type, format, PropModeReplace, data, static_cast<int>(items));
        }
        if (data) XFree(data);
    }
    if (names) XFree(names);
}

// The class cursor, as CreateWindowExA set it: the class is found by its procedure.
void copyClassCursor(Display* display, const HWND__& window) {
    for (const auto& entry : layer().classes) {
        const WindowClass& windowClass = entry.second;
        if (windowClass.proc != window.proc || !windowClass.cursor || !windowClass.cursor->cursorShape) continue;
        XDefineCursor(display, window.xwindow, XCreateFontCursor(display, windowClass.cursor->cursorShape));
        return;
    }
}

} // namespace

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
    XSetWindowAttributes attributes = {};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = colormap;
    attributes.event_mask = old.your_event_mask;
    const Window remade =
        XCreateWindow(display, RootWindow(display, visual.screen), old.x, old.y, static_cast<unsigned>(old.width),
                      static_cast<unsigned>(old.height), 0, visual.depth, InputOutput, visual.visual,
                      CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    if (trap.failed() || !remade) return false;
    copyProperties(display, window->xwindow, remade);
    const Window previous = window->xwindow;
    layer().windows.erase(previous);
    window->xwindow = remade;
    window->visual = visual.visual;
    window->depth = visual.depth;
    layer().windows[remade] = window;
    copyClassCursor(display, *window);
    XDestroyWindow(display, previous);
    return true; // a property that failed to copy is not worth keeping the old visual for
}
