#pragma once
// Pixel formats as Win32 describes them, computed from what GLX and X say about a framebuffer
// config. Pure functions, so the conversion and the choice can be tested without a display.

#include <vector>

#include "win32_api.h"

// What the layer learns about one GLX framebuffer config and its X visual.
struct FormatTraits {
    int visualClass = 0; // X visual class: TrueColor, PseudoColor, ...
    int depth = 0;       // X visual depth
    unsigned long redMask = 0;
    unsigned long greenMask = 0;
    unsigned long blueMask = 0;
    // Sizes from the framebuffer config; the channel sizes stand in where the visual has no masks.
    int redSize = 0;
    int greenSize = 0;
    int blueSize = 0;
    int alphaSize = 0;
    int depthSize = 0;
    int stencilSize = 0;
    int accumRedSize = 0;
    int accumGreenSize = 0;
    int accumBlueSize = 0;
    int accumAlphaSize = 0;
    int auxBuffers = 0;
    bool doubleBuffer = false;
    bool stereo = false;
};

// True for visual classes whose pixels are colormap indices, so drawing needs a palette.
bool visualNeedsPalette(int visualClass);

// True for visual classes whose colormap cells the client may write.
bool visualHasWritableColormap(int visualClass);

// The 40-byte Win32 descriptor of a window-capable RGBA format with these traits.
PIXELFORMATDESCRIPTOR describePixelFormat(const FormatTraits& traits);

// The 1-based number of the format closest to the request, or 0 when none fits. A format fits
// when it draws to a window with OpenGL in the requested pixel type, and is double-buffered
// when that is requested; among those the earliest one with the smallest shortfall wins.
int closestPixelFormat(const std::vector<PIXELFORMATDESCRIPTOR>& formats, const PIXELFORMATDESCRIPTOR& request);
