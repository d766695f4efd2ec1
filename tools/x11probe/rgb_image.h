// The one image type of x11probe and the tests: what a screen capture gives and a PNG file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A packed 8-bit RGB image, rows top to bottom, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* pixel(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    // Whether the pixel buffer holds exactly width x height pixels, and there is at least one.
    bool wellFormed() const {
        return width > 0 && height > 0 && rgb.size() == static_cast<std::size_t>(width) * height * 3;
    }
};
