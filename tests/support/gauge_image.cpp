// Captured frames are stored top row first; the gauge draws in GL coordinates, bottom row first.
#include "gauge_image.h"

Rgb GaugeImage::at(int x, int y) const {
    const int row = image_.height - 1 - y;
    if (x < 0 || x >= image_.width || row < 0 || row >= image_.height) return {};
    const std::uint8_t* p = image_.pixel(x, row);
    return {p[0], p[1], p[2]};
}
