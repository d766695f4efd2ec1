// Draws the ring by supersampling each pixel on an 8 x 8 grid.

#include "icon_art.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSamplesPerAxis = 8;

// Where the light rim starts to show, as a fraction of the image size from the centre.
constexpr double kRimStart = 0.37;
constexpr double kRimFull = 0.42;

struct Rgb {
    double r, g, b;
};
constexpr Rgb kDark = {42, 46, 54};
constexpr Rgb kLight = {216, 222, 230};

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// How light the ring is at (dx, dy) from the centre, y downward: 0 dark, 1 light.
// Only the outer band of the lower half lights up, strongest straight below the centre.
double rimLightness(double dx, double dy) {
    const double distance = std::hypot(dx, dy);
    const double downward = distance > 0.0 ? dy / distance : 0.0;
    return smoothstep(kRimStart, kRimFull, distance) * smoothstep(0.1, 0.8, downward);
}

uint32_t packArgb(int alpha, const Rgb& c) {
    auto channel = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return (static_cast<uint32_t>(alpha) << 24) | (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

uint32_t shadePixel(int x, int y, int size) {
    int covered = 0;
    Rgb sum = {0, 0, 0};
    for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
        for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
            const double dx = (x + (sx + 0.5) / kSamplesPerAxis) / size - 0.5;
            const double dy = (y + (sy + 0.5) / kSamplesPerAxis) / size - 0.5;
            const double distance = std::hypot(dx, dy);
            if (distance < kRingInnerRadius || distance > kRingOuterRadius) continue;
            const double t = rimLightness(dx, dy);
            sum.r += kDark.r + (kLight.r - kDark.r) * t;
            sum.g += kDark.g + (kLight.g - kDark.g) * t;
            sum.b += kDark.b + (kLight.b - kDark.b) * t;
            ++covered;
        }
    }
    if (covered == 0) return 0;
    const int alpha = static_cast<int>(std::lround(255.0 * covered / (kSamplesPerAxis * kSamplesPerAxis)));
    return packArgb(alpha, {sum.r / covered, sum.g / covered, sum.b / covered});
}

} // namespace

std::vector<uint32_t> drawRingIcon(int size) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) pixels[static_cast<size_t>(y) * size + x] = shadePixel(x, y, size);
    return pixels;
}
