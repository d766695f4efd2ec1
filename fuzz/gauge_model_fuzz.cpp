// The gauge model under any sequence of WM_SIZE, mouse and WM_KEYDOWN events, checked against what
// each point means: the vertex is the centre of the last size, the arm (base) point is where the left
// (right) button last went down or moved while held, else the vertex; y counts up from the bottom.
//
// Input: a switch byte (bit 0: a swap-interval function is installed), then events of one opcode byte each:
//   0 WM_SIZE: width, height (2 bytes each, as LOWORD and HIWORD of lParam)
//   1 mouse message 0x200 + (byte % 6): lParam (4 bytes)
//   2 any message number (4 bytes) with lParam (4 bytes)
//   3 WM_KEYDOWN: virtual key (4 bytes);  4 'I';  5 'V'

#include <cmath>
#include <initializer_list>

#include "angle_gauge.h"
#include "angle_geometry.h"
#include "fuzz_input.h"

namespace {

int lastInterval = -1;
int GAUGE_STDCALL recordInterval(int interval) {
    lastInterval = interval;
    return 1;
}

// What the gauge should hold, kept from the events' meaning alone.
struct Expected {
    float width = 600.0f;
    float height = 600.0f;
    PixelPoint vertex = {0, 0};
    PixelPoint arm = {0, 0};
    PixelPoint base = {0, 0};
    bool draggingArm = false;
    bool draggingBase = false;
    bool showCoords = true;
    bool vsyncOn = true;
    bool vsyncSwitched = false;
};

bool same(PixelPoint a, PixelPoint b) { return a.x == b.x && a.y == b.y; }

void resized(Expected& e, uint16_t w, uint16_t h) {
    e.width = w;
    e.height = h == 0 ? 1.0f : h; // a minimised window reports 0 x 0; the projection must not divide by 0
    e.vertex = {w / 2, static_cast<int32_t>(e.height) / 2};
    e.arm = e.base = e.vertex;
}

void mouse(Expected& e, unsigned message, uint32_t lParam) {
    // lParam holds the client point with y downward; the gauge keeps y upward.
    const PixelPoint p = {static_cast<int32_t>(lParam & 0xFFFF),
                          static_cast<int32_t>(e.height) - static_cast<int32_t>(lParam >> 16)};
    switch (message) {
    case 0x200: // WM_MOUSEMOVE
        if (e.draggingArm) e.arm = p;
        if (e.draggingBase) e.base = p;
        break;
    case 0x201: // WM_LBUTTONDOWN
        e.draggingArm = true;
        e.arm = p;
        break;
    case 0x202: // WM_LBUTTONUP
        e.draggingArm = false;
        break;
    case 0x204: // WM_RBUTTONDOWN
        e.draggingBase = true;
        e.base = p;
        break;
    case 0x205: // WM_RBUTTONUP
        e.draggingBase = false;
        break;
    default: // WM_LBUTTONDBLCLK and everything that is no mouse message
        break;
    }
}

void key(Expected& e, unsigned virtualKey) {
    if (virtualKey == 'I') e.showCoords = !e.showCoords;
    if (virtualKey == 'V') {
        e.vsyncOn = !e.vsyncOn;
        e.vsyncSwitched = true;
    }
}

void check(const AngleGauge& g, const Expected& e, bool swapControl) {
    FUZZ_CHECK(g.width == e.width && g.height == e.height);
    FUZZ_CHECK(g.viewport.x == 0 && g.viewport.y == 0);
    FUZZ_CHECK(g.viewport.w == static_cast<int32_t>(e.width) && g.viewport.h == static_cast<int32_t>(e.height));
    FUZZ_CHECK(same(g.vertex, e.vertex));
    FUZZ_CHECK(same(g.armPoint, e.arm));
    FUZZ_CHECK(same(g.basePoint, e.base));
    FUZZ_CHECK(g.draggingArm == e.draggingArm && g.draggingBase == e.draggingBase);
    FUZZ_CHECK(g.showCoords == e.showCoords && g.vsyncOn == e.vsyncOn);
    // The driver's swap interval follows the switch from its first use on.
    if (swapControl) FUZZ_CHECK(lastInterval == (e.vsyncSwitched ? (e.vsyncOn ? 1 : 0) : -1));

    // The scene draws the rays at these angles: whatever the points, a direction in [0, 360).
    for (const PixelPoint p : {g.armPoint, g.basePoint}) {
        const float angle = rayAngle(g.vertex, p);
        FUZZ_CHECK(std::isfinite(angle) && angle >= 0.0f && angle < 360.0f);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const bool swapControl = in.flag();
    swapIntervalProc = swapControl ? recordInterval : nullptr;
    lastInterval = -1;

    AngleGauge g;
    Expected e;
    // The window procedure's first WM_SIZE comes with the window; the gauge starts from it.
    onResize(g, 600.0f, 600.0f);
    resized(e, 600, 600);

    while (!in.empty()) {
        switch (in.byte() % 6) {
        case 0: {
            const uint16_t w = in.read<uint16_t>();
            const uint16_t h = in.read<uint16_t>();
            onResize(g, w, h);
            resized(e, w, h);
            break;
        }
        case 1: {
            const unsigned message = 0x200 + in.byte() % 6;
            const uint32_t lParam = in.read<uint32_t>();
            onMouse(g, message, lParam);
            mouse(e, message, lParam);
            break;
        }
        case 2: {
            const unsigned message = in.read<uint32_t>();
            const uint32_t lParam = in.read<uint32_t>();
            onMouse(g, message, lParam);
            mouse(e, message, lParam);
            break;
        }
        case 3: {
            const unsigned virtualKey = in.read<uint32_t>();
            onKey(g, virtualKey);
            key(e, virtualKey);
            break;
        }
        case 4:
            onKey(g, 'I');
            key(e, 'I');
            break;
        default:
            onKey(g, 'V');
            key(e, 'V');
            break;
        }
        check(g, e, swapControl);
    }
    return 0;
}
