// The properties a window manager reads from a new top-level window.

#include <X11/Xutil.h>
#include <X11/Xatom.h>
#include <unistd.h>

#include "property_values.h"
#include "layer.h"

namespace {

// WM_CLASS, WM_CLIENT_MACHINE and WM_LOCALE_NAME, with the names and hints given (null: left unset).
void setWmProperties(Display* display, Window xwindow, XTextProperty* name, XSizeHints* sizeHints, XWMHints* wmHints) {
    XClassHint* classHint = XAllocClassHint();
    classHint->res_name = const_cast<char*>("tessivar");
    classHint->res_class = const_cast<char*>("Tessivar");
    XSetWMProperties(display, xwindow, name, name, nullptr, 0, sizeHints, wmHints, classHint);
    XFree(classHint);
}

void setPid(Display* display, Window xwindow) {
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display, xwindow, layer().atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
}

void setNames(Display* display, Window xwindow, const std::string& caption, int x, int y) {
    XTextProperty name = {};
    char* names[] = {const_cast<char*>(caption.c_str())};
    XStringListToTextProperty(names, 1, &name);

    XSizeHints* sizeHints = XAllocSizeHints();
    sizeHints->flags = USPosition | PPosition;
    sizeHints->x = x;
    sizeHints->y = y;
    XWMHints* wmHints = XAllocWMHints();
    wmHints->flags = InputHint | StateHint;
    wmHints->input = True;
    wmHints->initial_state = NormalState;

    setWmProperties(display, xwindow, &name, sizeHints, wmHints); // WM_NAME and WM_ICON_NAME too
    XFree(wmHints);
    XFree(sizeHints);
    XFree(name.value);

    const std::string utf8 = latin1ToUtf8(caption);
    XChangeProperty(display, xwindow, layer().atoms.netWmName, layer().atoms.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
}

void setIcon(Display* display, Window xwindow, HICON icon) {
    int imageCount = 0;
    const IconImage* images = icon ? findIconImages(icon->iconGroup, &imageCount) : nullptr;
    if (!images || imageCount == 0) return;
    const std::vector<unsigned long> data = netWmIconData(images, imageCount);
    XChangeProperty(display, xwindow, layer().atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

void setProtocolsAndPid(Display* display, Window xwindow) {
    Atom protocols[] = {layer().atoms.wmDeleteWindow, layer().atoms.netWmPing};
    XSetWMProtocols(display, xwindow, protocols, 2);
    setPid(display, xwindow);
}

} // namespace

void setWindowProperties(Display* display, const HWND__& window, int x, int y) {
    setNames(display, window.xwindow, window.caption, x, y);
    if (!window.iconPending) setIcon(display, window.xwindow, window.icon);
    setProtocolsAndPid(display, window.xwindow);
}

void showPendingIcons() {
    LayerState& state = layer();
    for (const auto& [xwindow, window] : state.windows) {
        if (!window->iconPending) continue;
        window->iconPending = false;
        setIcon(state.display, xwindow, window->icon);
    }
}

void setProcessIdentity(Display* display, Window xwindow) {
    setWmProperties(display, xwindow, nullptr, nullptr, nullptr);
    setPid(display, xwindow);
}
