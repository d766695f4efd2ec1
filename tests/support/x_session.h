// A test's own connection to the X server: finding windows, XTest pointer and keys, reading pixels.
#pragma once

#include "rgb_image.h"
#include "x11_capture.h"

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <string>

// A point in a window's own X coordinates (origin top-left, y down).
struct WindowPoint {
    int x = 0;
    int y = 0;
};

class XSession {
public:
    // Connects and checks for XTest; nullptr if either fails.
    static std::unique_ptr<XSession> open(const std::string& displayName);
    ~XSession();

    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    Display* display() const { return display_; }

    // Pointer and buttons, relative to window; every call is flushed to the server before it returns.
    void moveTo(Window window, WindowPoint point);
    void pressButton(unsigned button);
    void releaseButton(unsigned button);
    // Press at from, move there-to in small steps, release at to.
    void drag(Window window, unsigned button, WindowPoint from, WindowPoint to);
    // Press and release the key of keysym, holding modifierKeysym (if not NoSymbol) around it.
    void tapKey(unsigned long keysym, unsigned long modifierKeysym = 0);

    std::optional<RgbImage> captureWindow(Window window);
    std::optional<RgbImage> captureScreen();

private:
    explicit XSession(Display* display) : display_(display) {}
    void sendKey(unsigned long keysym, bool down);

    Display* display_;
};
