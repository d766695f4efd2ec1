// Facts about the display: Shape, RandR's refresh rate, the compositing manager's selection.

#include "gdi32/display_facts.h"

#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "compositing.h"
#include "layer.h"
#include "swap_control.h"

namespace {

// Facts that can change are looked at again after this long.
constexpr long long kRecheckPeriod = 1000000000LL;

bool stale(long long checkedAt, long long now) { return checkedAt == 0 || now - checkedAt >= kRecheckPeriod; }

// Input shapes came with version 1.1 of the Shape extension.
bool queryShapeExtension(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XShapeQueryExtension(display, &eventBase, &errorBase) && XShapeQueryVersion(display, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 1));
}

// The refresh rate of the mode of the CRTC showing the primary output (any lit CRTC where no output is
// primary); 0 when RandR says nothing.
double crtcRefreshHz(Display* display, XRRScreenResources* resources, RROutput primary) {
    double rate = 0.0;
    for (int i = 0; i < resources->ncrtc && rate == 0.0; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (!crtc) continue;
        bool onPrimary = primary == None;
        for (int o = 0; o < crtc->noutput; ++o) onPrimary = onPrimary || crtc->outputs[o] == primary;
        for (int m = 0; m < resources->nmode && crtc->mode != None && onPrimary; ++m) {
            const XRRModeInfo& mode = resources->modes[m];
            if (mode.id != crtc->mode) continue;
            rate = modeRefreshHz(mode.dotClock, mode.hTotal, mode.vTotal, mode.modeFlags & RR_Interlace,
                                 mode.modeFlags & RR_DoubleScan);
        }
        XRRFreeCrtcInfo(crtc);
    }
    return rate;
}

double randrRefreshHz(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!display || !XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < 3))
        return 0.0;
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (!resources) return 0.0;
    const double rate = crtcRefreshHz(display, resources, XRRGetOutputPrimary(display, root));
    XRRFreeScreenResources(resources);
    return rate;
}

// Xwayland names its RandR outputs XWAYLAND0, XWAYLAND1, ...
bool isXwayland(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources) return false;
    bool xwayland = false;
    for (int i = 0; i < resources->noutput && !xwayland; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (!output) continue;
        xwayland = output->name && std::strncmp(output->name, "XWAYLAND", 8) == 0;
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return xwayland;
}

void noteNoCompositor(DisplayFacts& facts, int screen) {
    if (facts.opaqueNoticeGiven) return;
    facts.opaqueNoticeGiven = true;
    std::fprintf(stderr,
                 "tessivar: no compositing manager owns %s: translucent windows show opaque "
                 "(colour-keyed pixels are still cut out)\n",
                 compositorSelectionName(screen).c_str());
}

} // namespace

long long monotonicNs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

bool hasShapeExtension() {
    LayerState& state = layer();
    DisplayFacts& facts = state.displayFacts;
    if (!facts.shapeQueried) {
        facts.hasShape = state.display && queryShapeExtension(state.display);
        facts.shapeQueried = true;
    }
    return facts.hasShape;
}

// NOTE: RandR would announce a mode change as an event on the root window, but events belong to the
// message loop; a look once a second costs a few round trips and follows the change as closely.
long long refreshPeriod() {
    LayerState& state = layer();
    DisplayFacts& facts = state.displayFacts;
    const long long now = monotonicNs();
    if (stale(facts.refreshCheckedAt, now)) {
        facts.refreshPeriod = refreshPeriodNs(randrRefreshHz(state.display));
        facts.refreshCheckedAt = now;
    }
    return facts.refreshPeriod;
}

bool compositorPresent() {
    LayerState& state = layer();
    DisplayFacts& facts = state.displayFacts;
    if (!state.display) return false;
    const long long now = monotonicNs();
    if (!stale(facts.compositorCheckedAt, now)) return facts.compositing;
    const int screen = DefaultScreen(state.display);
    if (!facts.compositorSelection)
        facts.compositorSelection = XInternAtom(state.display, compositorSelectionName(screen).c_str(), False);
    facts.compositing = XGetSelectionOwner(state.display, facts.compositorSelection) != None;
    facts.compositorCheckedAt = now;
    if (!facts.compositing) noteNoCompositor(facts, screen);
    return facts.compositing;
}

bool compositorHonoursOpacityHint() {
    LayerState& state = layer();
    DisplayFacts& facts = state.displayFacts;
    if (!facts.xwaylandQueried) {
        facts.xwayland = isXwayland(state.display);
        facts.xwaylandQueried = true;
    }
    return !facts.xwayland;
}
