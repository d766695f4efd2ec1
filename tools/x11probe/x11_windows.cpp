// Finding, waiting for and politely closing X11 windows by their title.
#include "x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

int ignoreError(Display*, XErrorEvent*) { return 0; }

std::string utf8Property(Display* display, Window window, const char* name) {
    const Atom property = XInternAtom(display, name, False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(display, window, property, 0, 1024, False, utf8, &type, &format, &count, &remaining,
                           &data) == Success &&
        data) {
        if (type == utf8 && format == 8) value.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return value;
}

std::string legacyName(Display* display, Window window) {
    char* name = nullptr;
    std::string value;
    if (XFetchName(display, window, &name) && name) {
        value = name;
        XFree(name);
    }
    return value;
}

bool isViewable(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

std::vector<Window> childrenOf(Display* display, Window window) {
    Window root;
    Window parent;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) && children) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
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
    std::string title = utf8Property(display, window, "_NET_WM_NAME");
    return title.empty() ? legacyName(display, window) : title;
}

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
