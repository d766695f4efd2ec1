// Finding, waiting for and politely closing X11 windows by their title.
#pragma once

#include <X11/Xlib.h>

#include <string>

// Makes X errors from windows that vanish mid-query harmless instead of fatal for this process.
void ignoreXErrors();

// The window's title: _NET_WM_NAME (UTF8_STRING) if set, else WM_NAME (STRING); empty if it has neither.
std::string windowTitle(Display* display, Window window);

// The window's parent in the window tree; None if the window is gone.
Window parentOf(Display* display, Window window);

// The first mapped window titled exactly title, searching the whole tree below the root; None if none.
Window findWindowByTitle(Display* display, const std::string& title);

// Polls findWindowByTitle until it succeeds or timeoutSeconds pass; None on time-out.
Window waitForWindow(Display* display, const std::string& title, double timeoutSeconds);

// Whether the window lists WM_DELETE_WINDOW in WM_PROTOCOLS.
bool acceptsDeleteWindow(Display* display, Window window);

// Sends the WM_DELETE_WINDOW client message a window manager's close button would send.
bool sendDeleteWindow(Display* display, Window window);
