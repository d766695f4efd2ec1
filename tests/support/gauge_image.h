// A captured gauge frame read in GL coordinates (origin bottom-left, y up), with area counts.
#pragma once

#include "pixel_box.h"
#include "rgb_image.h"

class GaugeImage {
public:
    explicit GaugeImage(const RgbImage& image) : image_(image) {}

    int width() const { return image_.width; }
    int height() const { return image_.height; }
    // The pixel whose lower-left corner is at GL (x, y); black outside the image.
    Rgb at(int x, int y) const;
    int count(const PixelBox& box, const ColourTest& test) const { return findPixels(*this, box, test).count; }
    bool any(const PixelBox& box, const ColourTest& test) const { return count(box, test) > 0; }
    bool none(const PixelBox& box, const ColourTest& test) const { return count(box, test) == 0; }
    // Whether row y (GL) has a pixel passing test in columns left..right.
    bool rowHas(int y, int left, int right, const ColourTest& test) const { return any({left, y, right, y}, test); }

private:
    const RgbImage& image_;
};
