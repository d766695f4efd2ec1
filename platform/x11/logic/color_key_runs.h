#pragma once
// The colour key of a layered window as rectangles: the pixels that are not exactly the key
// colour, ready to become the window's shape. Pure, so it can be tested on made-up frames.

#include <vector>

#include "win32_api.h"

// A rectangle in window coordinates: origin top-left, y downward.
struct MaskRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const MaskRect& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// The opaque part of an RGBA frame read with glReadPixels (rows bottom-up, 4 bytes a pixel,
// alpha ignored) as YXBanded rectangles: sorted by y then x, one band for each run of rows
// with the same spans, every rectangle of a band sharing its y and height. A frame with no key
// pixels gives one rectangle; a frame of nothing but key gives none.
std::vector<MaskRect> opaqueRectangles(const unsigned char* rgba, int width, int height, COLORREF key);
