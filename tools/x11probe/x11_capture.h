// Reading screen pixels back from an X server.
#pragma once

#include "rgb_image.h"

#include <X11/Xlib.h>

#include <array>
#include <cstdint>
#include <optional>

// Channel masks of a TrueColor visual, as XImage reports them.
struct PixelLayout {
    unsigned long redMask = 0;
    unsigned long greenMask = 0;
    unsigned long blueMask = 0;
};

// Splits one pixel value into 8-bit red, green and blue, whatever the channel widths.
std::array<std::uint8_t, 3> rgbFromPixel(unsigned long pixel, const PixelLayout& layout);

// Clips area to a screen of the given size; nullopt when nothing is left.
std::optional<XRectangle> clipToScreen(const XRectangle& area, int screenWidth, int screenHeight);

// The on-screen rectangle of a window (its inside, without border), in root-window coordinates.
std::optional<XRectangle> windowRect(Display* display, Window window);

// Copies what the screen shows in area (clipped to the screen) from the root window.
std::optional<RgbImage> captureScreenArea(Display* display, const XRectangle& area);

// The whole default screen.
std::optional<RgbImage> captureScreen(Display* display);
