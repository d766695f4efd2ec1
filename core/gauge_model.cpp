// Gauge model: resize, mouse and key events as the window procedure hands them on.

#include "angle_gauge.h"

SwapIntervalProc swapIntervalProc = nullptr;

namespace {

constexpr unsigned kMouseMove = 0x200;
constexpr unsigned kRightButtonUp = 0x205;
constexpr unsigned kKeyI = 0x49;
constexpr unsigned kKeyV = 0x56;

// Client (x, top-down y) packed in lParam, to a point with y upward.
PixelPoint cursorPoint(const AngleGauge& g, uint32_t lParam) {
    const uint32_t x = lParam & 0xFFFFu;
    const uint32_t yDown = (lParam >> 16) & 0xFFFFu;
    return {static_cast<int32_t>(x), static_cast<int32_t>(g.height - static_cast<float>(yDown))};
}

void onMove(AngleGauge& g, PixelPoint p) {
    if (g.draggingArm) g.armPoint = p;
    if (g.draggingBase) g.basePoint = p;
}
void onLeftDown(AngleGauge& g, PixelPoint p) {
    g.draggingArm = true;
    g.armPoint = p;
}
void onLeftUp(AngleGauge& g, PixelPoint) { g.draggingArm = false; }
void onLeftDoubleClick(AngleGauge&, PixelPoint) {}
void onRightDown(AngleGauge& g, PixelPoint p) {
    g.draggingBase = true;
    g.basePoint = p;
}
void onRightUp(AngleGauge& g, PixelPoint) { g.draggingBase = false; }

using MouseHandler = void (*)(AngleGauge&, PixelPoint);
constexpr MouseHandler kMouseHandlers[] = {onMove, onLeftDown, onLeftUp, onLeftDoubleClick, onRightDown, onRightUp};
static_assert(sizeof(kMouseHandlers) / sizeof(kMouseHandlers[0]) == kRightButtonUp - kMouseMove + 1);

} // namespace

void onResize(AngleGauge& g, float w, float h) {
    if (h == 0.0f) h = 1.0f; // a minimised window reports 0 x 0
    g.width = w;
    g.height = h;
    const int32_t cx = static_cast<int32_t>(w * 0.5);
    g.basePoint.x = g.vertex.x = g.armPoint.x = cx;
    const int32_t cy = static_cast<int32_t>(h * 0.5);
    g.basePoint.y = g.vertex.y = g.armPoint.y = cy;
    g.viewport = {0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

void onMouse(AngleGauge& g, unsigned message, uint32_t lParam) {
    if (message < kMouseMove || message > kRightButtonUp) return;
    kMouseHandlers[message - kMouseMove](g, cursorPoint(g, lParam));
}

void onKey(AngleGauge& g, unsigned virtualKey) {
    if (virtualKey == kKeyI) {
        g.showCoords = !g.showCoords;
    } else if (virtualKey == kKeyV) {
        g.vsyncOn = !g.vsyncOn;
        // NOTE: drivers without swap control leave the switch null; the flag still toggles.
        if (swapIntervalProc) swapIntervalProc(g.vsyncOn ? 1 : 0);
    }
}
