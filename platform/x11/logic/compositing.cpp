// The choice between shapes, per-pixel alpha and the compositor's opacity hint.

#include "compositing.h"

std::string compositorSelectionName(int screen) { return "_NET_WM_CM_S" + std::to_string(screen < 0 ? 0 : screen); }

TranslucencyPlan planTranslucency(bool colorKey, bool alpha, bool keyed, bool argbSurface, bool compositing,
                                  bool hintHonoured, bool frameOpaque) {
    TranslucencyPlan plan;
    // Per-pixel alpha needs a surface that carries it and a compositor that blends it; it then serves
    // compositors that ignore the opacity hint as well as those that honour it.
    const bool perPixel = argbSurface && compositing && (colorKey || alpha);
    // NOTE: writing the opacity into every pixel costs a pass over the whole frame (with a software
    // rasteriser about as much as the frame itself); where the compositor applies the hint over an
    // opaque frame only the key pixels need writing.
    const bool hintCarriesOpacity = perPixel && hintHonoured && frameOpaque;
    // NOTE: a shape only while there are key pixels: window managers treat a shaped window as one
    // without decorations, and some copy its input shape onto their frame.
    plan.inputShape = colorKey && keyed;
    plan.boundingShape = colorKey && keyed && !perPixel;
    plan.alphaPass = perPixel && !hintCarriesOpacity;
    plan.keyClear = perPixel && colorKey && keyed;
    plan.opacityHint = alpha && (!perPixel || hintCarriesOpacity);
    return plan;
}
