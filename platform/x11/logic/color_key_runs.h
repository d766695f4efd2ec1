#pragma once
// The colour key of a layered window as rectangles: the pixels that are not exactly the key
// colour, ready to become the window's shape. Pure, so it can be tested on made-up frames.

#include <cstddef>
#include <cstdint>
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

// Frames are read with GL_BGRA / GL_UNSIGNED_INT_8_8_8_8_REV: one 32-bit word a pixel, 0xAARRGGBB in
// the machine's own byte order, rows bottom-up. That is how 8-bit RGBA back buffers are stored, so the
// read is a plain copy, and a pixel is compared with the key in one operation.

// The key colour as such a word, alpha bits clear.
uint32_t keyWord(COLORREF key);

// Whether any of count pixels has exactly the key colour; alpha does not count.
bool hasKeyPixel(const uint32_t* pixels, size_t count, COLORREF key);

// Whether all of count pixels have alpha 255 (true for none).
bool allOpaque(const uint32_t* pixels, size_t count);

// A frame as read: width x height pixels, rows bottom-up. GL reads from the bottom-left corner of
// the window, so a frame smaller than its window covers the window's bottom-left part.
struct FrameView {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// The opaque part of a window as YXBanded rectangles: sorted by y then x, one band for each run of rows
// with the same spans, every rectangle of a band sharing its y and height. What the frame does not
// cover counts as opaque. margin widens the region by that many pixels beyond every edge of the
// window: X clips a window's shape to the window, but a window manager that copies the shape onto its
// frame then keeps the frame's decorations inside it. A frame of nothing but key gives only the margin;
// margin 0 and no key pixels give one rectangle. rects is cleared first; passing the same vector every
// frame keeps its storage.
void opaqueRectangles(const FrameView& frame, int windowWidth, int windowHeight, COLORREF key, int margin,
                      std::vector<MaskRect>& rects);

// The key pixels inside a window, as the gaps that opaque rectangles leave in each band of the window
// (y from 0 to windowHeight, x from 0 to windowWidth). keyRects is cleared first.
void keyRectangles(const std::vector<MaskRect>& opaque, int windowWidth, int windowHeight,
                   std::vector<MaskRect>& keyRects);
