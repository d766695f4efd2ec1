// The layer's state object and the display connection it is created with.

#include "layer.h"

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

LayerState* createLayer() {
    auto* state = new LayerState();
    state->display = XOpenDisplay(nullptr);
    if (state->display) state->atoms = internAtoms(state->display);
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
