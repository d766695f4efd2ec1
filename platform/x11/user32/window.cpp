// Window classes and windows: creation, showing, sizing, styles and destruction.

#include <X11/Xutil.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "layer.h"

namespace {

// Win32 compares class names without regard to case; the layer keeps them in lower case.
std::string classKey(LPCSTR name) {
    std::string key(name);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

const WindowClass* findClass(LPCSTR name) {
    if (!name) return nullptr;
    if (IS_INTRESOURCE(name)) {
        const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(name));
        for (const auto& entry : layer().classes) {
            if (entry.second.atom == atom) return &entry.second;
        }
        return nullptr;
    }
    const auto found = layer().classes.find(classKey(name));
    return found == layer().classes.end() ? nullptr : &found->second;
}

// NOTE: X refuses windows of zero width or height; a zero-sized client area is a 1x1 X window.
unsigned int xExtent(int extent) { return static_cast<unsigned int>(std::max(1, extent)); }

bool isLiveWindow(HWND window) { return window && !window->destroyed && window->xwindow; }

// NOTE: the handle itself stays allocated: the program still passes it to ReleaseDC at exit.
void forgetWindow(HWND__* window) {
    layer().windows.erase(window->xwindow);
    forgetMessagesOf(window);
    layer().destroyedWindows.push_back(window);
    window->xwindow = 0;
    window->destroyed = true;
}

} // namespace

// NOTE: the one place top-level X windows are made, here and when a layered window moves to a visual
// with alpha; inside a trap, so a refusal (a visual or size the server rejects) fails the call.
Window createTopLevel(Display* display, HWND__& window, Visual* visual, int depth, Colormap colormap, int x, int y) {
    XSetWindowAttributes attributes = {};
    attributes.background_pixmap = None; // GL draws every pixel; no flash of background
    attributes.border_pixel = 0;
    attributes.colormap = colormap;
    attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            StructureNotifyMask | FocusChangeMask;
    attributes.cursor = xCursor(window.cursor);
    XErrorTrap trap(display);
    const Window made = XCreateWindow(display, DefaultRootWindow(display), x, y, xExtent(window.clientWidth),
                                      xExtent(window.clientHeight), 0, depth, InputOutput, visual,
                                      CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWCursor, &attributes);
    if (trap.failed() || !made) return 0;
    window.visual = visual;
    window.depth = depth;
    return made;
}

HWND__* findWindow(Window xwindow) {
    const auto found = layer().windows.find(xwindow);
    return found == layer().windows.end() ? nullptr : found->second;
}

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || window->destroyed || !window->proc) return 0;
    return window->proc(window, message, wParam, lParam);
}

void setClientSize(HWND__* window, int width, int height) {
    window->clientWidth = width;
    window->clientHeight = height;
    resizeWindowSurface(window);
    const InputMessage size = sizeMessage(width, height);
    sendMessage(window, size.message, size.wParam, size.lParam);
}

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName) ||
        !windowClass->lpfnWndProc) {
        return 0;
    }
    auto& classes = layer().classes;
    const std::string key = classKey(windowClass->lpszClassName);
    if (classes.count(key)) return 0; // already registered, as Win32 refuses it
    const auto atom = static_cast<ATOM>(0xC000 + classes.size());
    classes[key] = WindowClass{atom, windowClass->lpfnWndProc, windowClass->hIcon, windowClass->hCursor};
    return atom;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
    const WindowClass* windowClass = findClass(className);
    Display* display = layer().display;
    if (!windowClass || !display) return nullptr;

    auto* window = new HWND__();
    window->proc = windowClass->proc;
    window->caption = windowName ? windowName : "";
    window->style = static_cast<LONG>(style & ~WS_VISIBLE);
    window->exStyle = static_cast<LONG>(exStyle);
    window->clientWidth = std::max(0, width);
    window->clientHeight = std::max(0, height);
    window->cursor = windowClass->cursor;
    window->icon = windowClass->icon;
    window->iconPending = window->icon != nullptr;
    const int screen = DefaultScreen(display);
    window->xwindow = createTopLevel(display, *window, DefaultVisual(display, screen), DefaultDepth(display, screen),
                                     DefaultColormap(display, screen), x, y);
    if (!window->xwindow) {
        delete window;
        return nullptr;
    }
    setWindowProperties(display, *window, x, y);
    layer().windows[window->xwindow] = window;

    // As in Win32, the procedure sees WM_CREATE before CreateWindowExA returns; -1 refuses creation.
    if (sendMessage(window, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

BOOL ShowWindow(HWND window, int command) {
    if (!isLiveWindow(window)) return FALSE;
    const BOOL wasVisible = (window->style & WS_VISIBLE) != 0;
    Display* display = layer().display;
    if (command == SW_HIDE) {
        XUnmapWindow(display, window->xwindow);
        window->style &= ~WS_VISIBLE;
    } else {
        XMapRaised(display, window->xwindow);
        window->style |= WS_VISIBLE;
    }
    XFlush(display);
    return wasVisible;
}

// Frames are drawn continuously, so there is never a pending paint to force.
BOOL UpdateWindow(HWND window) { return isLiveWindow(window); }

BOOL InvalidateRect(HWND window, const RECT*, BOOL) { return isLiveWindow(window); }

// WM_NCDESTROY is the last message a window gets: it goes out before the handle stops taking messages.
BOOL DestroyWindow(HWND window) {
    if (!isLiveWindow(window)) return FALSE;
    sendMessage(window, WM_DESTROY, 0, 0);
    if (window->destroyed) return TRUE; // the procedure destroyed it again from WM_DESTROY
    sendMessage(window, WM_NCDESTROY, 0, 0);
    if (window->destroyed) return TRUE; // or from WM_NCDESTROY
    Display* display = layer().display;
    const Window xwindow = window->xwindow;
    forgetWindow(window);
    XDestroyWindow(display, xwindow);
    XFlush(display);
    return TRUE;
}

void windowDestroyedElsewhere(HWND__* window) {
    if (!isLiveWindow(window)) return;
    sendMessage(window, WM_DESTROY, 0, 0);
    if (!window->destroyed) sendMessage(window, WM_NCDESTROY, 0, 0);
    if (!window->destroyed) forgetWindow(window);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

// The window manager frames the X window from outside, so window and client rectangles are the same.
BOOL AdjustWindowRect(LPRECT rect, DWORD, BOOL) { return rect != nullptr; }

BOOL SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
    if (!isLiveWindow(window)) return FALSE;
    Display* display = layer().display;
    if (!(flags & SWP_NOMOVE)) XMoveWindow(display, window->xwindow, x, y);
    const int width = std::max(0, cx);
    const int height = std::max(0, cy);
    const bool resize = !(flags & SWP_NOSIZE) && (width != window->clientWidth || height != window->clientHeight);
    if (resize) XResizeWindow(display, window->xwindow, xExtent(width), xExtent(height));
    XFlush(display);
    if (resize) setClientSize(window, width, height);
    return TRUE;
}

LONG GetWindowLongA(HWND window, int index) {
    if (!window || window->destroyed) return 0;
    if (index == GWL_STYLE) return window->style;
    if (index == GWL_EXSTYLE) return window->exStyle;
    return 0;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
    if (!window || window->destroyed) return 0;
    LONG previous = 0;
    if (index == GWL_STYLE) {
        previous = window->style;
        window->style = value;
    } else if (index == GWL_EXSTYLE) {
        previous = window->exStyle;
        window->exStyle = value;
        // Leaving the layered style drops the layered attributes, as in Win32.
        if ((previous & WS_EX_LAYERED) && !(value & WS_EX_LAYERED)) {
            window->layeredFlags = 0;
            applyOpacity(layer().display, *window);
        }
    }
    return previous;
}
