// Colour classes and GL-coordinate access for captured gauge frames.
#include "gauge_image.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int high = 180; // a channel that is clearly on
constexpr int low = 70;   // a channel that is clearly off

int brightest(Rgb c) { return std::max({c.r, c.g, c.b}); }

} // namespace

bool isDark(Rgb c) { return brightest(c) < 40; }
bool isLit(Rgb c) { return brightest(c) >= 60; }
bool isWhite(Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }
bool isRed(Rgb c) { return c.r > high && c.g < low && c.b < low; }
bool isGreen(Rgb c) { return c.g > high && c.r < low && c.b < low; }
bool isYellow(Rgb c) { return c.r > high && c.g > high && c.b < low; }
bool isCyan(Rgb c) { return c.g > high && c.b > high && c.r < low; }
bool isReddish(Rgb c) { return c.r > 150 && c.r > c.b + 100 && c.g < low; }
bool isBluish(Rgb c) { return c.b > 150 && c.b > c.r + 100 && c.g < low; }

bool isGrey(Rgb c) { return isLit(c) && std::abs(c.r - c.g) < 25 && std::abs(c.g - c.b) < 25; }

GlBox around(int x, int y, int radius) { return {x - radius, y - radius, x + radius, y + radius}; }

Rgb GaugeImage::at(int x, int y) const {
    const int row = image_.height - 1 - y;
    if (x < 0 || x >= image_.width || row < 0 || row >= image_.height) return {};
    const std::uint8_t* p = image_.pixel(x, row);
    return {p[0], p[1], p[2]};
}

int GaugeImage::count(const GlBox& box, const ColourTest& test) const {
    int n = 0;
    for (int y = box.bottom; y <= box.top; ++y)
        for (int x = box.left; x <= box.right; ++x) n += test(at(x, y)) ? 1 : 0;
    return n;
}

bool GaugeImage::rowHas(int y, int left, int right, const ColourTest& test) const {
    return count({left, y, right, y}, test) > 0;
}
