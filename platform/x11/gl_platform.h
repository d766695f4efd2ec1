#pragma once
// Shared between the GL files of the X11 layer: what HDC, HGLRC and HPALETTE point at.

// NOTE: the boundary header defines APIENTRY unconditionally, GL only when undefined: it goes first.
#include "x11_platform.h"

#include <GL/glx.h>

#include <vector>

#include "gl_color_key.h"
#include "gl_pixel_formats.h"

// A window's own device context. X fixes a window's visual at creation while Win32 sets the
// pixel format afterwards, so SetPixelFormat makes a child window with the format's visual
// over the whole client area; GL draws into that child.
struct HDC__ {
    HWND__* window = nullptr;
    int format = 0; // 0 until SetPixelFormat
    GLXFBConfig config = nullptr;
    Window surface = 0;           // the child window
    GLXWindow drawable = 0;       // GLX's handle on it
    Colormap colormap = 0;        // the child's own colormap
    bool paletteColormap = false; // writable and indexed: RealizePalette stores into it
    int colormapCells = 0;
    HPALETTE selectedPalette = nullptr;
    // Colour-key state kept between frames.
    std::vector<unsigned char> frame;
    std::vector<MaskRect> appliedShape;
    bool shapeApplied = false;
};

struct HGLRC__ {
    GLXContext context = nullptr;
};

struct HPALETTE__ {
    std::vector<PALETTEENTRY> entries;
};

// One GLX framebuffer config with what Win32 says about it.
struct PixelFormat {
    GLXFBConfig config;
    FormatTraits traits;
};

// The window-capable RGBA configs of the display's default screen, in the server's order;
// format number n is element n - 1. Empty when GLX is missing.
std::vector<PixelFormat> pixelFormats(Display* display);

// The colour-key shape of a layered window, updated from the back buffer before a swap.
void updateColorKeyShape(HDC__* dc);

// Gives the window back its plain rectangle once it no longer uses the colour key.
void clearColorKeyShape(HDC__* dc);

// True when the palette is one that CreatePalette made and DeleteObject has not freed.
bool isLivePalette(HPALETTE palette);
