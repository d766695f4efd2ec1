// Frame-rate meter: measured every 70 frames, shown at most about twice a second.

#include <chrono>

#include "angle_gauge.h"

namespace {

constexpr uint32_t kFramesPerMeasure = 70;
constexpr int32_t kShowIntervalTicks = 500;

// Taken during static initialisation, as close to process start as portable code gets.
const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

// Ticks are 32-bit and pass 2^31 after 24.8 days of uptime: differences are taken modulo 2^32, so
// a span across the wrap is still the short span it is (a plain signed subtraction would overflow).
int32_t ticksBetween(int32_t earlier, int32_t later) {
    return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

} // namespace

// NOTE: clock() is wall-clock milliseconds on Windows but processor time elsewhere,
// so ticks come from the monotonic clock on every platform.
int32_t processTick() {
    const auto elapsed = std::chrono::steady_clock::now() - processStart;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    return static_cast<int32_t>(static_cast<uint32_t>(ms)); // wraps after 2^32 ms, like the Win32 tick
}

void tickFrameRate(AngleGauge& g, TickSource now) {
    g.frameCount = g.frameCount + 1;
    if (g.frameCount % kFramesPerMeasure == 0) {
        const int32_t elapsed = ticksBetween(g.lastMeasureTick, now());
        // An elapsed time of 0 ticks would divide by zero; the previous rate stays.
        if (elapsed != 0) g.fps = static_cast<float>(kFramesPerMeasure / (elapsed / 1000.0));
        g.lastMeasureTick = now();
        g.frameCount = 0;
    }
    if (ticksBetween(g.lastShowTick, now()) > kShowIntervalTicks) {
        const int32_t t = now();
        g.fpsShown = g.fps;
        g.lastShowTick = t;
    }
}
