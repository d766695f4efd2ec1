// Reading screen pixels back from an X server with XGetImage on the root window.
#include "x11_capture.h"

#include <X11/Xutil.h>

#include <algorithm>

namespace {

int lowestSetBit(unsigned long mask) {
    int shift = 0;
    while (shift < 64 && !(mask & (1UL << shift))) ++shift;
    return shift;
}

std::uint8_t channelFromPixel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    const int shift = lowestSetBit(mask);
    const unsigned long maximum = mask >> shift;
    const unsigned long value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
}

// Coordinates and sizes on an X screen are 16-bit in the protocol, so nothing is lost here.
XRectangle rectangle(int x, int y, int width, int height) {
    return {static_cast<short>(x), static_cast<short>(y), static_cast<unsigned short>(width),
            static_cast<unsigned short>(height)};
}

RgbImage rgbFromXImage(XImage* image) {
    const PixelLayout layout{image->red_mask, image->green_mask, image->blue_mask};
    RgbImage out;
    out.width = image->width;
    out.height = image->height;
    out.rgb.reserve(static_cast<size_t>(out.width) * out.height * 3);
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            const auto rgb = rgbFromPixel(XGetPixel(image, x, y), layout);
            out.rgb.insert(out.rgb.end(), rgb.begin(), rgb.end());
        }
    return out;
}

} // namespace

std::array<std::uint8_t, 3> rgbFromPixel(unsigned long pixel, const PixelLayout& layout) {
    return {channelFromPixel(pixel, layout.redMask), channelFromPixel(pixel, layout.greenMask),
            channelFromPixel(pixel, layout.blueMask)};
}

std::optional<XRectangle> clipToScreen(const XRectangle& area, int screenWidth, int screenHeight) {
    const int left = std::max<int>(area.x, 0);
    const int top = std::max<int>(area.y, 0);
    const int right = std::min(area.x + area.width, screenWidth);
    const int bottom = std::min(area.y + area.height, screenHeight);
    if (right <= left || bottom <= top) return std::nullopt;
    return rectangle(left, top, right - left, bottom - top);
}

std::optional<XRectangle> windowRect(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
    int rootX = 0;
    int rootY = 0;
    Window child;
    if (!XTranslateCoordinates(display, window, attributes.root, 0, 0, &rootX, &rootY, &child)) return std::nullopt;
    return rectangle(rootX, rootY, attributes.width, attributes.height);
}

std::optional<RgbImage> captureScreenArea(Display* display, const XRectangle& area) {
    const int screen = DefaultScreen(display);
    const auto clipped = clipToScreen(area, DisplayWidth(display, screen), DisplayHeight(display, screen));
    if (!clipped) return std::nullopt;
    XImage* image =
        XGetImage(display, RootWindow(display, screen), clipped->x, clipped->y, static_cast<unsigned>(clipped->width),
                  static_cast<unsigned>(clipped->height), AllPlanes, ZPixmap);
    if (!image) return std::nullopt;
    RgbImage out = rgbFromXImage(image);
    XDestroyImage(image);
    return out;
}

std::optional<RgbImage> captureScreen(Display* display) {
    const int screen = DefaultScreen(display);
    return captureScreenArea(display, rectangle(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)));
}
