// A captured gauge frame read in GL coordinates (origin bottom-left, y up), with colour classes and area counts.
#pragma once

#include "png_writer.h"

#include <cstdint>
#include <functional>

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

using ColourTest = std::function<bool(Rgb)>;

bool isDark(Rgb c); // background, nothing drawn
bool isLit(Rgb c);  // anything visibly drawn
bool isWhite(Rgb c);
bool isRed(Rgb c);
bool isGreen(Rgb c);
bool isYellow(Rgb c);
bool isCyan(Rgb c);
bool isGrey(Rgb c);    // lit and colourless, at any brightness
bool isReddish(Rgb c); // red clearly above blue, as at the red end of the gradient
bool isBluish(Rgb c);  // blue clearly above red

// An inclusive rectangle of pixels in GL coordinates.
struct GlBox {
    int left = 0;
    int bottom = 0;
    int right = 0;
    int top = 0;
};

// A box of (2 * radius + 1) pixels square around (x, y).
GlBox around(int x, int y, int radius);

class GaugeImage {
public:
    explicit GaugeImage(const RgbImage& image) : image_(image) {}

    int width() const { return image_.width; }
    int height() const { return image_.height; }
    // The pixel whose lower-left corner is at GL (x, y); black outside the image.
    Rgb at(int x, int y) const;
    int count(const GlBox& box, const ColourTest& test) const;
    bool any(const GlBox& box, const ColourTest& test) const { return count(box, test) > 0; }
    bool none(const GlBox& box, const ColourTest& test) const { return count(box, test) == 0; }
    // Whether row y (GL) has a pixel passing test in columns left..right.
    bool rowHas(int y, int left, int right, const ColourTest& test) const;

private:
    const RgbImage& image_;
};
