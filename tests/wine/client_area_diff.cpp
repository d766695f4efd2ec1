// Pixel-for-pixel comparison of two client-area captures.
#include "client_area_diff.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr int shownExamples = 8;

bool isKeyBlue(const std::uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 255; }

void paint(std::uint8_t* p, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

} // namespace

ClientAreaDiff compareClientAreas(const RgbImage& ours, const RgbImage& wine) {
    ClientAreaDiff diff;
    diff.picture = ours;
    if (ours.width != wine.width || ours.height != wine.height) {
        diff.differing = std::max(ours.width * ours.height, wine.width * wine.height);
        diff.examples = "  sizes differ: ours " + std::to_string(ours.width) + " x " + std::to_string(ours.height) +
                        ", Wine's " + std::to_string(wine.width) + " x " + std::to_string(wine.height) + "\n";
        return diff;
    }
    std::ostringstream examples;
    for (int row = 0; row < ours.height; ++row) {
        for (int x = 0; x < ours.width; ++x) {
            const std::uint8_t* a = ours.pixel(x, row);
            const std::uint8_t* b = wine.pixel(x, row);
            std::uint8_t* out = &diff.picture.rgb[(static_cast<size_t>(row) * ours.width + x) * 3];
            const int glY = ours.height - 1 - row;
            const bool keyed = isKeyBlue(b);
            if (keyed) {
                ++diff.keyed;
                if (isKeyBlue(a)) ++diff.keyedShownByOurs;
            }
            if (keyed || (x < frameRateAreaWidth && row < frameRateAreaDepth)) {
                paint(out, 0, 0, 96);
            } else if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) {
                if (diff.differing++ < shownExamples)
                    examples << "  (" << x << ", " << glY << "): ours " << int{a[0]} << "," << int{a[1]} << ","
                             << int{a[2]} << ", Wine's " << int{b[0]} << "," << int{b[1]} << "," << int{b[2]} << "\n";
                paint(out, 255, 0, 255);
            } else {
                paint(out, a[0] / 3, a[1] / 3, a[2] / 3);
            }
        }
    }
    diff.examples = examples.str();
    return diff;
}
