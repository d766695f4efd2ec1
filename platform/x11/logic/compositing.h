#pragma once
// How a layered window's colour key and opacity reach the screen, given what the display offers.
// Pure, so every combination can be tested without a display.

#include <string>

// The selection a compositing manager owns for a screen, by the window-manager conventions.
std::string compositorSelectionName(int screen);

// What the layer does for one frame of a layered window.
struct TranslucencyPlan {
    bool boundingShape = false; // cut key pixels out of the window's bounding shape (see-through)
    bool inputShape = false;    // cut key pixels out of the input shape (click-through)
    bool alphaPass = false;     // write the opacity into the back buffer's alpha, colour premultiplied
    bool keyClear = false;      // key pixels to 0 in every channel of the back buffer (fully transparent)
    bool opacityHint = false;   // leave the opacity to the compositor's _NET_WM_WINDOW_OPACITY
};

// colorKey, alpha: the window's LWA_COLORKEY and LWA_ALPHA (with an alpha below 255).
// keyed: the frame has key pixels (the back buffer was read for the key).
// argbSurface: the window and its GL surface have a 32-bit visual with alpha.
// compositing: a compositing manager owns the screen's selection.
// hintHonoured: that compositor applies the opacity hint on top of a window's own alpha (X compositors
// do; Wayland compositors under Xwayland ignore the hint).
// frameOpaque: the frame last read has alpha 255 everywhere, so the hint alone can carry the opacity.
TranslucencyPlan planTranslucency(bool colorKey, bool alpha, bool keyed, bool argbSurface, bool compositing,
                                  bool hintHonoured, bool frameOpaque);
