#pragma once
// Shared between the files of the X11 layer; the shell never sees this header.

#include <X11/Xlib.h>

#include <string>

#include "../win32_api.h"

// The process-wide X connection, opened on first use; null when there is no display.
Display* x11Display();

// What an HWND points at. The X window is the client area; the window manager frames it.
struct HWND__ {
    Window xwindow = 0;
    WNDPROC proc = nullptr;
    std::string caption;
    LONG style = 0;
    LONG exStyle = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    // Layered attributes as SetLayeredWindowAttributes stored them.
    COLORREF colorKey = 0;
    BYTE alpha = 255;
    DWORD layeredFlags = 0;
    // The window's own device context (CS_OWNDC), made on the first GetDC.
    HDC__* dc = nullptr;
    // The X window is made with the screen's default visual and depth.
    Visual* visual = nullptr;
    int depth = 0;
    // Set by DestroyWindow: the X window is gone (xwindow is 0) but the handle stays readable.
    bool destroyed = false;
};

// Device-context side: keeps the GL drawable the size of the client area.
// The window side calls it whenever clientWidth or clientHeight change.
void resizeWindowSurface(HWND__* window);
