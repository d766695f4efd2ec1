// Finding, waiting for and politely closing X11 windows by their title.
#include "x11_windows.h"

#include "x11_properties.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

int ignoreError(Display*, XErrorEvent*) { return 0; }

bool isViewable(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The window's parent and children; parent None and no children if the window is gone.
Window queryTree(Display* display, Window window, std::vector<Window>* children) {
    Window root = None;
    Window parent = None;
    Window* list = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &list, &count)) return None;
    if (list) {
        if (children) children->assign(list, list + count);
        XFree(list);
    }
    return parent;
}

std::vector<Window> childrenOf(Display* display, Window window) {
    std::vector<Window> children;
    queryTree(display, window, &children);
    return children;
}

Window searchBelow(Display* display, Window window, const std::string& title) {
    for (Window child : childrenOf(display, window)) {
        if (windowTitle(display, child) == title && isViewable(display, child)) return child;
        if (Window found = searchBelow(display, child, title)) return found;
    }
    return None;
}

} // namespace

void ignoreXErrors() { XSetErrorHandler(ignoreError); }

std::string windowTitle(Display* display, Window window) {
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const std::string title = textProperty(display, window, "_NET_WM_NAME", utf8).value_or("");
    return title.empty() ? textProperty(display, window, "WM_NAME", XA_STRING).value_or("") : title;
}

Window parentOf(Display* display, Window window) { return queryTree(display, window, nullptr); }

Window findWindowByTitle(Display* display, const std::string& title) {
    return searchBelow(display, DefaultRootWindow(display), title);
}

Window waitForWindow(Display* display, const std::string& title, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        if (Window window = findWindowByTitle(display, title)) return window;
        if (std::chrono::steady_clock::now() >= deadline) return None;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool acceptsDeleteWindow(Display* display, Window window) {
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom* protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(display, window, &protocols, &count) && protocols) {
        for (int i = 0; i < count; ++i) found = found || protocols[i] == deleteWindow;
        XFree(protocols);
    }
    return found;
}

bool sendDeleteWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XFlush(display);
    return sent;
}
