// The layer's state object and the display connection it is created with.

#include "layer.h"

#include <unistd.h>

#include <cstdio>

namespace {

LayerAtoms internAtoms(Display* display) {
    LayerAtoms atoms;
    atoms.wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    atoms.wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    atoms.netWmPing = XInternAtom(display, "_NET_WM_PING", False);
    atoms.netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    atoms.netWmIcon = XInternAtom(display, "_NET_WM_ICON", False);
    atoms.netWmPid = XInternAtom(display, "_NET_WM_PID", False);
    atoms.netWmWindowOpacity = XInternAtom(display, "_NET_WM_WINDOW_OPACITY", False);
    atoms.netWmWindowType = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    atoms.netWmWindowTypeDialog = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    atoms.utf8String = XInternAtom(display, "UTF8_STRING", False);
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

LayerState* createLayer() {
    auto* state = new LayerState();
    state->display = XOpenDisplay(nullptr);
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
