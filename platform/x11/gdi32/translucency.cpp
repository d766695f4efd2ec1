// A layered window's translucency, frame by frame.
//
// LWA_COLORKEY: the back buffer is read and scanned for the key. While no pixel has the key colour the
// window has no shape at all, which window managers need to decorate it normally. Where pixels have
// it they leave the input shape (click-through) and, without a compositor, the bounding shape
// (see-through). A display shows one frame per refresh, so of frames drawn faster than that (vertical
// sync off) one a refresh is read; a frame in between keeps the key found last, up to one refresh old,
// as its pixels would be on the screen.
// Under a compositing manager a window on a 32-bit visual shows key pixels through alpha 0 instead: a
// bounding shape there would cost the window its decorations under KWin.
// LWA_ALPHA: X compositors apply _NET_WM_WINDOW_OPACITY on top of the window's own alpha, so while the
// frame read last was opaque everywhere the hint carries the opacity and only key pixels are written.
// Otherwise (a frame with alpha of its own, or Xwayland, whose compositors ignore the hint) the window
// carries the opacity in its own premultiplied alpha, a pass over the whole frame. Without a
// compositor nothing blends: the window shows opaque.

#include "gdi32/translucency.h"

#include <X11/extensions/shape.h>

#include <algorithm>

#include "compositing.h"
#include "gdi32/display_facts.h"
#include "layer.h"
#include "swap_control.h"

namespace {

// How far the shape reaches past the window's edges (see opaqueRectangles): more than any window
// manager's decorations, within X's 16-bit coordinates.
int shapeMargin(int width, int height) {
    constexpr int kMargin = 4096;
    return std::clamp(32767 - std::max(width, height), 0, kMargin);
}

void setShape(Display* display, Window window, int kind, const std::vector<MaskRect>* rects) {
    if (!rects) {
        XShapeCombineMask(display, window, kind, 0, 0, None, ShapeSet);
        return;
    }
    thread_local std::vector<XRectangle> xrects;
    xrects.clear();
    for (const MaskRect& r : *rects) {
        xrects.push_back({static_cast<short>(r.x), static_cast<short>(r.y), static_cast<unsigned short>(r.width),
                          static_cast<unsigned short>(r.height)});
    }
    XShapeCombineRectangles(display, window, kind, 0, 0, xrects.data(), static_cast<int>(xrects.size()), ShapeSet,
                            YXBanded);
}

// Sets the bounding and input shapes to the frame's shape where wanted and removes them elsewhere,
// sending only what changed.
void updateShapes(HDC__* dc, bool bounding, bool input) {
    TranslucencyState& t = dc->translucency;
    const bool sameRects = t.shape == t.appliedShape;
    const bool boundingChanges = bounding != t.boundingApplied || (bounding && !sameRects);
    const bool inputChanges = input != t.inputApplied || (input && !sameRects);
    if (!boundingChanges && !inputChanges) return;
    Display* display = layer().display;
    const Window window = dc->window->xwindow;
    XErrorTrap trap(display);
    if (boundingChanges) setShape(display, window, ShapeBounding, bounding ? &t.shape : nullptr);
    if (inputChanges) setShape(display, window, ShapeInput, input ? &t.shape : nullptr);
    t.boundingApplied = bounding;
    t.inputApplied = input;
    if (bounding || input) t.appliedShape = t.shape;
}

// The opacity hint as the plan wants it, sent when that changes.
void showOpacityHint(HDC__* dc, bool hint) {
    TranslucencyState& t = dc->translucency;
    if (t.opacityHint == (hint ? 1 : 0)) return;
    t.opacityHint = hint ? 1 : 0;
    applyOpacity(layer().display, *dc->window);
}

bool usesLayering(const HWND__& window) {
    return (window.exStyle & WS_EX_LAYERED) && (window.layeredFlags & (LWA_COLORKEY | LWA_ALPHA));
}

// Whether this frame's back buffer must be read for the key: once a refresh, and at once when the size
// or the key changed.
bool keyScanNeeded(const HDC__* dc, long long swapTime) {
    const HWND__& window = *dc->window;
    const TranslucencyState& t = dc->translucency;
    if (t.keyScannedSwap == 0 || window.clientWidth != t.keyScannedWidth || window.clientHeight != t.keyScannedHeight ||
        window.colorKey != t.keyScannedColor)
        return true;
    return keyScanDue(t.keyScannedSwap, swapTime, refreshPeriod());
}

// Reads the frame, finds its key pixels (the shape, and for per-pixel alpha the cutout) and whether its
// alpha is opaque throughout.
void scanFrame(HDC__* dc, long long swapTime, bool colorKey, bool perPixel) {
    const HWND__& window = *dc->window;
    TranslucencyState& t = dc->translucency;
    const FrameView frame = readBackBuffer(t.gl, window.clientWidth, window.clientHeight, t.frame);
    const size_t count = static_cast<size_t>(frame.width) * frame.height;
    t.frameOpaque = perPixel && allOpaque(frame.pixels, count);
    t.keyed = colorKey && hasKeyPixel(frame.pixels, count, window.colorKey);
    if (t.keyed) {
        opaqueRectangles(frame, window.clientWidth, window.clientHeight, window.colorKey,
                         shapeMargin(window.clientWidth, window.clientHeight), t.shape);
        if (perPixel) cutOutKey(t.shape, frame, window.colorKey, window.clientWidth, window.clientHeight, t.cutout);
    }
    t.keyScannedSwap = swapTime;
    t.keyScannedWidth = window.clientWidth;
    t.keyScannedHeight = window.clientHeight;
    t.keyScannedColor = window.colorKey;
}

} // namespace

void applyTranslucency(HDC__* dc, long long swapTime) {
    Display* display = layer().display;
    HWND__& window = *dc->window;
    TranslucencyState& t = dc->translucency;
    if (!display || window.clientWidth <= 0 || window.clientHeight <= 0) return;
    // Only this context's own back buffer says anything about this window.
    if (glXGetCurrentDrawable() != dc->drawable) return;
    const bool colorKey = usesLayering(window) && (window.layeredFlags & LWA_COLORKEY) && hasShapeExtension();
    const bool alpha = usesLayering(window) && (window.layeredFlags & LWA_ALPHA) && window.alpha != 255;
    readGlContext(t.gl);
    const bool perPixelCapable = t.argb && canWriteAlpha(t.gl);
    const bool compositing = compositorPresent();
    // Per-pixel alpha reads the frame for its alpha as well as for the key.
    const bool scan = colorKey || (alpha && perPixelCapable && compositing);
    if (scan && keyScanNeeded(dc, swapTime)) scanFrame(dc, swapTime, colorKey, perPixelCapable && compositing);
    const bool keyed = colorKey && t.keyed;
    const TranslucencyPlan plan = planTranslucency(colorKey, alpha, keyed, perPixelCapable, compositing,
                                                   compositorHonoursOpacityHint(), scan && t.frameOpaque);
    updateShapes(dc, plan.boundingShape, plan.inputShape);
    const int width = window.clientWidth;
    const int height = window.clientHeight;
    const KeyCutout* cutout = plan.keyClear ? &t.cutout : nullptr;
    // A full attribute stack leaves this one frame as drawn.
    if (plan.alphaPass)
        t.alphaPassOn = writeWindowAlpha(t.gl, width, height, alpha ? window.alpha / 255.0f : 1.0f, cutout);
    else
        t.alphaPassOn = cutout && clearKeyPixels(t.gl, width, height, *cutout);
    showOpacityHint(dc, plan.opacityHint);
}
