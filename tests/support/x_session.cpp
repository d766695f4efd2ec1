// A test's own connection to the X server, with XTest for synthetic input.
#include "x_session.h"

#include "x11_windows.h"

#include <X11/extensions/XTest.h>

#include <chrono>
#include <thread>

namespace {

constexpr int dragSteps = 8;

void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

} // namespace

std::unique_ptr<XSession> XSession::open(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return nullptr;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        return nullptr;
    }
    ignoreXErrors();
    return std::unique_ptr<XSession>(new XSession(display));
}

XSession::~XSession() { XCloseDisplay(display_); }

void XSession::moveTo(Window window, WindowPoint point) {
    const auto area = windowRect(display_, window);
    if (!area) return;
    XTestFakeMotionEvent(display_, DefaultScreen(display_), area->x + point.x, area->y + point.y, CurrentTime);
    XSync(display_, False);
}

void XSession::pressButton(unsigned button) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XSync(display_, False);
}

void XSession::releaseButton(unsigned button) {
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XSync(display_, False);
}

void XSession::drag(Window window, unsigned button, WindowPoint from, WindowPoint to) {
    moveTo(window, from);
    pressButton(button);
    for (int step = 1; step <= dragSteps; ++step) {
        pause(5);
        moveTo(window, {from.x + (to.x - from.x) * step / dragSteps, from.y + (to.y - from.y) * step / dragSteps});
    }
    releaseButton(button);
}

void XSession::sendKey(unsigned long keysym, bool down) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    XTestFakeKeyEvent(display_, code, down ? True : False, CurrentTime);
    XSync(display_, False);
}

void XSession::tapKey(unsigned long keysym, unsigned long modifierKeysym) {
    if (modifierKeysym) sendKey(modifierKeysym, true);
    sendKey(keysym, true);
    sendKey(keysym, false);
    if (modifierKeysym) sendKey(modifierKeysym, false);
}

std::optional<RgbImage> XSession::captureWindow(Window window) {
    const auto area = windowRect(display_, window);
    if (!area) return std::nullopt;
    return captureScreenArea(display_, *area);
}

std::optional<RgbImage> XSession::captureScreen() { return ::captureScreen(display_); }
