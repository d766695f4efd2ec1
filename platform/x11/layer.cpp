// The layer's state object and the display connection it is created with.

#include "layer.h"

#include <unistd.h>

#include <cstdio>
#include <thread>

namespace {

// One round trip for all of them (XInternAtom makes one each). Should the request fail, each atom
// is None, as each XInternAtom would have given.
LayerAtoms internAtoms(Display* display) {
    LayerAtoms atoms;
    struct Name {
        Atom LayerAtoms::*atom;
        const char* name;
    };
    static const Name kNames[] = {
        {&LayerAtoms::wmProtocols, "WM_PROTOCOLS"},
        {&LayerAtoms::wmDeleteWindow, "WM_DELETE_WINDOW"},
        {&LayerAtoms::netWmPing, "_NET_WM_PING"},
        {&LayerAtoms::netWmName, "_NET_WM_NAME"},
        {&LayerAtoms::netWmIcon, "_NET_WM_ICON"},
        {&LayerAtoms::netWmPid, "_NET_WM_PID"},
        {&LayerAtoms::netWmWindowOpacity, "_NET_WM_WINDOW_OPACITY"},
        {&LayerAtoms::netWmWindowType, "_NET_WM_WINDOW_TYPE"},
        {&LayerAtoms::netWmWindowTypeDialog, "_NET_WM_WINDOW_TYPE_DIALOG"},
        {&LayerAtoms::utf8String, "UTF8_STRING"},
    };
    constexpr int kCount = static_cast<int>(sizeof kNames / sizeof kNames[0]);
    char* names[kCount];
    Atom values[kCount] = {};
    for (int i = 0; i < kCount; ++i) names[i] = const_cast<char*>(kNames[i].name);
    XInternAtoms(display, names, kCount, False, values);
    for (int i = 0; i < kCount; ++i) atoms.*kNames[i].atom = values[i];
    return atoms;
}

LayerState* createLayer();

// An error outside every trap is a request on a window someone else destroyed, or a fault of the
// layer's own: the first is described once, the rest would only repeat it.
void reportStrayError(Display* display, const XErrorEvent& error) {
    char text[128] = "";
    XGetErrorText(display, error.error_code, text, sizeof text);
    std::fprintf(stderr, "tessivar: X error outside the layer's traps (reported once): %s (request %d.%d)\n", text,
                 error.request_code, error.minor_code);
}

int onXError(Display* display, XErrorEvent* error) {
    LayerState& state = layer();
    if (state.trapDepth > 0) {
        if (state.trappedError == Success) state.trappedError = error->error_code;
    } else if (!state.strayErrorReported) {
        state.strayErrorReported = true;
        reportStrayError(display, *error);
    }
    return 0;
}

// NOTE: Xlib calls this once the connection is gone and exits when it returns; the teardown's GL and X
// calls would only meet the same dead connection, so the process ends here with one clear line.
int onConnectionLost(Display*) {
    std::fprintf(stderr, "tessivar: lost the connection to the X server\n");
    std::fflush(stderr);
    _exit(1);
}

// The display being opened ahead of the layer's first use (see openDisplayEarly). Both fields are
// constant-initialised, so they hold before any static constructor runs.
struct EarlyDisplay {
    std::thread* opener = nullptr; // opening it; null when never started or already joined
    Display* display = nullptr;    // what the opener opened (null: none); read only after joining it
};
EarlyDisplay early;

// NOTE: Mesa loads and starts its driver when the display's framebuffer configs are first asked for
// (GLX's version and extension queries are answered by libglvnd without it); with a software
// rasteriser that is most of the time to the first frame, so the early opener asks for them too.
Display* openDisplayWithGlx() {
    Display* display = XOpenDisplay(nullptr);
    int errorBase = 0;
    int eventBase = 0;
    if (!display || !glXQueryExtension(display, &errorBase, &eventBase)) return display;
    int count = 0;
    if (GLXFBConfig* configs = glXGetFBConfigs(display, DefaultScreen(display), &count)) XFree(configs);
    return display;
}

Display* openDisplay() {
    if (!early.opener) return XOpenDisplay(nullptr);
    early.opener->join();
    delete early.opener;
    early.opener = nullptr;
    return early.display;
}

LayerState* createLayer() {
    auto* state = new LayerState();
    state->display = openDisplay();
    if (state->display) {
        state->atoms = internAtoms(state->display);
        XSetErrorHandler(onXError);
        XSetIOErrorHandler(onConnectionLost);
    }
    return state;
}

} // namespace

// NOTE: deliberately never deleted (see LayerState); a failed connection is not retried.
LayerState& layer() {
    static LayerState* const state = createLayer();
    return *state;
}

void openDisplayEarly() {
    if (!early.opener) early.opener = new std::thread([] { early.display = openDisplayWithGlx(); });
}

ProtocolAtoms protocolAtoms() {
    const LayerAtoms& atoms = layer().atoms;
    return ProtocolAtoms{atoms.wmProtocols, atoms.wmDeleteWindow, atoms.netWmPing};
}

XErrorTrap::XErrorTrap(Display* display) : display_(display), outerError_(layer().trappedError) {
    // Errors of requests made before the trap belong to whoever made them.
    if (display_) XSync(display_, False);
    ++layer().trapDepth;
    layer().trappedError = Success;
}

XErrorTrap::~XErrorTrap() {
    if (display_) XSync(display_, False);
    LayerState& state = layer();
    --state.trapDepth;
    if (state.trappedError == Success) state.trappedError = outerError_;
}

bool XErrorTrap::failed() {
    if (display_) XSync(display_, False);
    return layer().trappedError != Success;
}
