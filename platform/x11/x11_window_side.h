#pragma once
// Shared between the window-side files of the X11 layer (windows, messages, resources).

#include <vector>

#include "event_translate.h"
#include "resource_data.h"
#include "x11_platform.h"

// Atoms of the window-manager conventions, interned together with the connection.
struct X11Atoms {
    Atom wmProtocols;
    Atom wmDeleteWindow;
    Atom netWmPing;
    Atom netWmName;
    Atom netWmIcon;
    Atom netWmPid;
    Atom netWmWindowOpacity;
    Atom netWmWindowType;
    Atom netWmWindowTypeDialog;
    Atom utf8String;
};

// Valid only while x11Display() is non-null.
const X11Atoms& x11Atoms();
ProtocolAtoms protocolAtoms();

// What HICON and HCURSOR point at: an icon group of the resources, or a cursor shape.
struct HICON__ {
    const IconImage* images = nullptr;
    int imageCount = 0;
    unsigned int cursorShape = 0; // an XC_ font-cursor shape; 0 for icons
};

// What HACCEL points at: a loaded accelerator table.
struct HACCEL__ {
    std::vector<ACCEL> entries;
};

// The live window behind an X window, or null for windows this layer did not create.
HWND__* findWindow(Window xwindow);

// Calls the window's procedure now, as Win32's SendMessage does; 0 for a destroyed window.
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Records a new client size, keeps the GL surface in step and sends WM_SIZE.
void setClientSize(HWND__* window, int width, int height);

// The modifiers held when the key message last taken from the queue was generated.
KeyModifiers modifiersOfLastMessage();

// Window-manager properties of a new window: names, class, icon, protocols, pid, machine, position.
void setWindowProperties(Display* display, const HWND__& window, HICON icon, int x, int y);

// Sets or removes _NET_WM_WINDOW_OPACITY to match the window's layered attributes.
void applyOpacity(Display* display, const HWND__& window);
