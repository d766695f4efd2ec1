// The process-wide X connection and the atoms of the window-manager conventions.

#include "x11_window_side.h"

namespace {

X11Atoms internAtoms(Display* display) {
    X11Atoms atoms;
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

struct Connection {
    Display* display = nullptr;
    X11Atoms atoms = {};
};

// Opened once; a failed attempt is not repeated. Never closed: the GL teardown at exit still needs it.
const Connection& connection() {
    static const Connection opened = [] {
        Connection c;
        c.display = XOpenDisplay(nullptr);
        if (c.display) c.atoms = internAtoms(c.display);
        return c;
    }();
    return opened;
}

} // namespace

Display* x11Display() { return connection().display; }

const X11Atoms& x11Atoms() { return connection().atoms; }

ProtocolAtoms protocolAtoms() {
    const X11Atoms& atoms = x11Atoms();
    return ProtocolAtoms{atoms.wmProtocols, atoms.wmDeleteWindow, atoms.netWmPing};
}
