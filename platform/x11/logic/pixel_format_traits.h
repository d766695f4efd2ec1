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

// What the layer would like of a format beyond what the program asked for. It only ranks formats
// that serve the request equally well: a preference never costs the program a bit it asked for.
struct FormatPreference {
    // The X visual depth wanted (32 for a window blended with per-pixel alpha); 0: any.
    int visualDepth = 0;
    // An alpha channel, so that a layered window's back buffer reads back as stored, without conversion.
    bool alpha = false;
    // The depth-buffer size to take when the request allows it (a larger one than asked for is what
    // Win32 drivers commonly hand out); 0 keeps the smallest that suffices.
    int depthBits = 0;
};

// The 1-based number of the format closest to the request, or 0 when none fits. A format fits
// when it draws to a window with OpenGL in the requested pixel type, and is double-buffered
// when that is requested; among those the earliest one with the smallest shortfall wins, and
// the preference decides between formats without a shortfall. visualDepths, when not empty,
// holds the X visual depth of each format.
int closestPixelFormat(const std::vector<PIXELFORMATDESCRIPTOR>& formats, const PIXELFORMATDESCRIPTOR& request,
                       const FormatPreference& preference = {}, const std::vector<int>& visualDepths = {});
