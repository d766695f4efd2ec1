// Rectangles of pixels in GL coordinates and the pixels in them that pass a colour test.
#pragma once

#include "colour_classes.h"

#include <algorithm>

// An inclusive rectangle of pixels in GL coordinates (origin bottom-left, y up).
struct PixelBox {
    int left = 0;
    int bottom = 0;
    int right = 0;
    int top = 0;
};

// A box of (2 * radius + 1) pixels square around (x, y).
inline PixelBox around(int x, int y, int radius) { return {x - radius, y - radius, x + radius, y + radius}; }

// The pixels that passed a test: how many, and the bounds they span (all 0 when none did).
struct LitArea {
    int count = 0;
    int minX = 0;
    int minY = 0;
    int maxX = 0;
    int maxY = 0;
    double centreX() const { return (minX + maxX) / 2.0; }
    double centreY() const { return (minY + maxY) / 2.0; }
};

// The pixels of image inside box that pass test; Image is anything with Rgb at(int x, int y) in GL coordinates.
template <typename Image>
LitArea findPixels(const Image& image, const PixelBox& box, const ColourTest& test) {
    LitArea area;
    for (int y = box.bottom; y <= box.top; ++y) {
        for (int x = box.left; x <= box.right; ++x) {
            if (!test(image.at(x, y))) continue;
            if (area.count == 0) area = {0, x, y, x, y};
            ++area.count;
            area.minX = std::min(area.minX, x);
            area.maxX = std::max(area.maxX, x);
            area.minY = std::min(area.minY, y);
            area.maxY = std::max(area.maxY, y);
        }
    }
    return area;
}
