#pragma once
// A layered window's colour key and opacity, applied to each frame before its swap.

#include "gdi32/gl_frame.h"

// What the translucency of one device context keeps between frames.
struct TranslucencyState {
    GlFrameContext gl;                  // the current context's facts and entry points
    bool argb = false;                  // window and surface have a 32-bit visual with alpha
    std::vector<uint32_t> frame;        // the back buffer last read, BGRA words; sized by the window
    std::vector<MaskRect> shape;        // the opaque rectangles of the frame last read, when keyed
    KeyCutout cutout;                   // its key pixels, for the alpha pass; only on a 32-bit visual
    std::vector<MaskRect> appliedShape; // the shape on the window: bounding and/or input, see below
    bool boundingApplied = false;       // the window's bounding shape is appliedShape (else none)
    bool inputApplied = false;          // the window's input shape is appliedShape (else none)
    bool alphaPassOn = false;           // the layer wrote the last frame's alpha: all of it, or key pixels
    signed char opacityHint = -1;       // 1 or 0: the last frame's plan wanted _NET_WM_WINDOW_OPACITY or
                                        //   not; -1 before the first frame (the attributes decide)
    bool keyed = false;                 // the frame read last had key pixels
    bool frameOpaque = false;           // the frame read last had alpha 255 everywhere
    long long keyScannedSwap = 0;       // monotonic ns the frame read last was due to swap; 0: none yet
    int keyScannedWidth = 0;            // the client width that frame had: a resize is read at once
    int keyScannedHeight = 0;           // and its height
    COLORREF keyScannedColor = 0;       // the key it was read for: a new key is read at once
};

struct HDC__;

// The colour key and opacity of a layered window for the frame in the current back buffer. Under a
// compositor a window on a 32-bit visual has key pixels fully transparent in its own alpha and cut out
// of its input shape only; otherwise key pixels leave the bounding and input shapes. The opacity goes
// to the compositor's hint, or into the window's own alpha where the hint would not apply. swapTime is when the frame is due on the screen (monotonic ns): frames less than a
// refresh apart share the key found in the first of them.
void applyTranslucency(HDC__* dc, long long swapTime);
