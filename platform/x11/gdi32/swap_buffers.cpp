// SwapBuffers, and LWA_COLORKEY on X: before the swap, pixels of exactly the key colour are cut out of
// the window's bounding and input shapes, so they show what is behind and let clicks through.

#include <X11/extensions/shape.h>

#include "layer.h"

namespace {

// Input shapes came with version 1.1 of the Shape extension.
bool queryShapeExtension(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XShapeQueryExtension(display, &eventBase, &errorBase) && XShapeQueryVersion(display, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 1));
}

bool hasShapeExtension() {
    LayerState& state = layer();
    if (!state.shapeQueried) {
        state.hasShape = state.display && queryShapeExtension(state.display);
        state.shapeQueried = true;
    }
    return state.hasShape;
}

// The back buffer of the current drawable, bottom-up rows of RGBA bytes.
void readBackBuffer(int width, int height, std::vector<unsigned char>& frame) {
    const size_t size = static_cast<size_t>(width) * height * 4;
    // Kept between frames, but given back once the window has shrunk to well below its largest size.
    if (frame.capacity() > 2 * size + (1 << 20)) std::vector<unsigned char>().swap(frame);
    frame.resize(size);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    glPopClientAttrib();
}

void applyShape(Display* display, Window window, const std::vector<MaskRect>& rects) {
    std::vector<XRectangle> xrects;
    xrects.reserve(rects.size());
    for (const MaskRect& r : rects) {
        xrects.push_back({static_cast<short>(r.x), static_cast<short>(r.y), static_cast<unsigned short>(r.width),
                          static_cast<unsigned short>(r.height)});
    }
    const int count = static_cast<int>(xrects.size());
    XErrorTrap trap(display);
    XShapeCombineRectangles(display, window, ShapeBounding, 0, 0, xrects.data(), count, ShapeSet, YXBanded);
    XShapeCombineRectangles(display, window, ShapeInput, 0, 0, xrects.data(), count, ShapeSet, YXBanded);
}

} // namespace

void updateColorKeyShape(HDC__* dc) {
    Display* display = layer().display;
    const HWND__& window = *dc->window;
    if (!display || !hasShapeExtension()) return;
    if (window.clientWidth <= 0 || window.clientHeight <= 0) return;
    // Only this context's own back buffer says anything about this window.
    if (glXGetCurrentDrawable() != dc->drawable) return;
    // Beyond the surface nothing is drawn, so nothing there is kept in the shape either.
    const int width = drawableExtent(window.clientWidth);
    const int height = drawableExtent(window.clientHeight);
    readBackBuffer(width, height, dc->frame);
    std::vector<MaskRect> rects = opaqueRectangles(dc->frame.data(), width, height, window.colorKey);
    if (dc->shapeApplied && rects == dc->appliedShape) return;
    applyShape(display, window.xwindow, rects);
    dc->appliedShape.swap(rects);
    dc->shapeApplied = true;
}

namespace {

void clearColorKeyShape(HDC__* dc) {
    Display* display = layer().display;
    if (!dc->shapeApplied || !display) return;
    XErrorTrap trap(display);
    XShapeCombineMask(display, dc->window->xwindow, ShapeBounding, 0, 0, None, ShapeSet);
    XShapeCombineMask(display, dc->window->xwindow, ShapeInput, 0, 0, None, ShapeSet);
    dc->appliedShape.clear();
    dc->shapeApplied = false;
}

bool usesColorKey(const HWND__& window) {
    return (window.exStyle & WS_EX_LAYERED) && (window.layeredFlags & LWA_COLORKEY);
}

} // namespace

BOOL SwapBuffers(HDC dc) {
    Display* display = layer().display;
    if (!display || !dc || !dc->drawable || dc->window->destroyed) return FALSE;
    if (usesColorKey(*dc->window)) {
        updateColorKeyShape(dc);
    } else {
        clearColorKeyShape(dc);
    }
    glXSwapBuffers(display, dc->drawable);
    return TRUE;
}
