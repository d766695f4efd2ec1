// Frame-rate meter: measured every 70 frames, shown at most about twice a second.

#include <chrono>

#include "angle_gauge.h"

namespace {

constexpr uint32_t kFramesPerMeasure = 70;
constexpr int32_t kShowIntervalTicks = 500;

// Taken during static initialisation, as close to process start as portable code gets.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

} // namespace

// NOTE: clock() is wall-clock milliseconds on Windows but processor time elsewhere,
// so ticks come from the monotonic clock on every platform.
int32_t processTick() {
    const auto elapsed = std::chrono::steady_clock::now() - processStart;
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void tickFrameRate(AngleGauge& g, TickSource now) {
    g.frameCount = g.frameCount + 1;
    if (g.frameCount % kFramesPerMeasure == 0) {
        const int32_t elapsed = now() - g.lastMeasureTick;
        // An elapsed time of 0 ticks would divide by zero; the previous rate stays.
        if (elapsed != 0) g.fps = static_cast<float>(kFramesPerMeasure / (elapsed / 1000.0));
        g.lastMeasureTick = now();
        g.frameCount = 0;
    }
    if (now() - g.lastShowTick > kShowIntervalTicks) {
        const int32_t t = now();
        g.fpsShown = g.fps;
        g.lastShowTick = t;
    }
}
