// Device contexts of CS_OWNDC windows and the GL surface behind them: a child X window with the
// pixel format's visual.

#include <X11/Xutil.h>

#include <algorithm>

#include "layer.h"

namespace {

// NOTE: a DirectColor colormap starts undefined; identity ramps make it behave as TrueColor.
void storeLinearRamps(Display* display, Colormap colormap, const XVisualInfo& visual) {
    const struct {
        unsigned long mask;
        char flag;
    } channels[] = {{visual.red_mask, DoRed}, {visual.green_mask, DoGreen}, {visual.blue_mask, DoBlue}};
    std::vector<XColor> colours;
    for (const auto& channel : channels) {
        if (channel.mask == 0) continue;
        const unsigned long lowBit = channel.mask & (~channel.mask + 1);
        const unsigned long levels = channel.mask / lowBit + 1;
        for (unsigned long i = 0; i < levels; ++i) {
            XColor colour = {};
            colour.pixel = i * lowBit;
            colour.flags = channel.flag;
            const unsigned short value = static_cast<unsigned short>(levels > 1 ? i * 65535 / (levels - 1) : 65535);
            colour.red = colour.green = colour.blue = value;
            colours.push_back(colour);
        }
    }
    XStoreColors(display, colormap, colours.data(), static_cast<int>(colours.size()));
}

void makeColormap(Display* display, HDC__* dc, const XVisualInfo& visual) {
    const bool writable = visualHasWritableColormap(visual.c_class);
    dc->colormap =
        XCreateColormap(display, RootWindow(display, visual.screen), visual.visual, writable ? AllocAll : AllocNone);
    dc->paletteColormap = writable && visualNeedsPalette(visual.c_class);
    dc->colormapCells = visual.colormap_size;
    if (visual.c_class == DirectColor) storeLinearRamps(display, dc->colormap, visual);
}

unsigned surfaceExtent(int clientExtent) { return static_cast<unsigned>(std::max(1, drawableExtent(clientExtent))); }

// Pointer and key events propagate to the top-level window because the child selects none,
// so the window side sees them in its own coordinates.
Window makeChild(Display* display, HDC__* dc, const XVisualInfo& visual) {
    XSetWindowAttributes attributes = {};
    attributes.colormap = dc->colormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    const HWND__& window = *dc->window;
    return XCreateWindow(display, window.xwindow, 0, 0, surfaceExtent(window.clientWidth),
                         surfaceExtent(window.clientHeight), 0, visual.depth, InputOutput, visual.visual,
                         CWColormap | CWBorderPixel | CWBackPixmap, &attributes);
}

// A window manager installs the colormaps listed here when the window has the focus.
void announceColormap(Display* display, HDC__* dc) {
    Window windows[] = {dc->surface, dc->window->xwindow};
    XSetWMColormapWindows(display, dc->window->xwindow, windows, 2);
}

// What a refused surface left behind, freed (the requests themselves may fail: inside the caller's trap).
void destroyWindowSurface(Display* display, HDC__* dc) {
    if (dc->drawable) glXDestroyWindow(display, dc->drawable);
    if (dc->surface) XDestroyWindow(display, dc->surface);
    if (dc->colormap) XFreeColormap(display, dc->colormap);
    dc->drawable = 0;
    dc->surface = 0;
    dc->colormap = 0;
    dc->paletteColormap = false;
    dc->colormapCells = 0;
}

} // namespace

// A client area larger than GL can draw into keeps a surface GL can draw into: the driver would
// otherwise try to allocate buffers for the whole window and fail (or worse) at a few GB.
int drawableExtent(int clientExtent) {
    const int limit = layer().maxSurfaceExtent;
    return limit > 0 ? std::min(clientExtent, limit) : clientExtent;
}

// NOTE: inside a trap: the server or GLX may refuse the visual, the colormap or the drawable, and the
// refusal fails SetPixelFormat with nothing left behind.
bool createWindowSurface(HDC__* dc, const PixelFormat& format) {
    Display* display = layer().display;
    if (!display || !dc->window || !dc->window->xwindow) return false;
    XVisualInfo* visual = glXGetVisualFromFBConfig(display, format.config);
    if (!visual) return false;
    XErrorTrap trap(display);
    makeColormap(display, dc, *visual);
    dc->surface = makeChild(display, dc, *visual);
    XFree(visual);
    if (dc->paletteColormap) announceColormap(display, dc);
    dc->drawable = glXCreateWindow(display, format.config, dc->surface, nullptr);
    XMapWindow(display, dc->surface);
    if (!trap.failed() && dc->surface && dc->drawable) return true;
    destroyWindowSurface(display, dc);
    return false;
}

void resizeWindowSurface(HWND__* window) {
    Display* display = layer().display;
    if (!display || !window || !window->dc || !window->dc->surface) return;
    XResizeWindow(display, window->dc->surface, surfaceExtent(window->clientWidth),
                  surfaceExtent(window->clientHeight));
}

HDC GetDC(HWND window) {
    if (!window || window->destroyed || !window->xwindow || !layer().display) return nullptr;
    if (!window->dc) {
        window->dc = new HDC__;
        window->dc->window = window;
    }
    return window->dc;
}

// The window's own context stays valid until the window goes, so releasing it frees nothing.
// NOTE: the window may already be destroyed at shut-down; only the pointers are compared.
int ReleaseDC(HWND window, HDC dc) { return dc && dc->window == window ? 1 : 0; }
