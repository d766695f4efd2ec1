// The frame-rate meter with a clock the fuzzer drives. Ticks are 32-bit milliseconds and pass 2^31
// after 24.8 days, so the meter has to take tick differences modulo 2^32, as Win32 programs do with
// GetTickCount: then a span across the wrap is the short span it really is.
//
// Input: a mode byte, then
//   even mode, any clock: the meter's state (frame count 1 byte, last measure and show ticks 4 bytes
//     each), then the ticks the clock returns, 4 bytes per read: no undefined behaviour, a finite rate,
//     the frame count below 70, the shown rate always one the meter measured;
//   odd mode, a monotonic clock that wraps: its start (4 bytes), then per frame the milliseconds it
//     advances (4 bytes, the low 24 bits taken: up to 4.6 hours): each measurement is exactly 70 frames over the true time
//     since the last one, and the shown rate changes exactly when more than 500 ms have passed.

#include <cmath>

#include "angle_gauge.h"
#include "fuzz_input.h"

namespace {

FuzzInput* ticks = nullptr;
int32_t anyTick() { return ticks->read<int32_t>(); }

int32_t wrappedNow = 0;
int32_t wrappedTick() { return wrappedNow; }

int32_t wrap(int64_t ms) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ms))); }

void anyClock(FuzzInput& in) {
    AngleGauge g;
    g.frameCount = in.byte() % 70;
    g.lastMeasureTick = in.read<int32_t>();
    g.lastShowTick = in.read<int32_t>();
    ticks = &in;
    for (int frame = 0; frame < 100000 && !in.empty(); ++frame) {
        const float shownBefore = g.fpsShown;
        tickFrameRate(g, anyTick);
        FUZZ_CHECK(std::isfinite(g.fps));
        FUZZ_CHECK(g.frameCount < 70);
        FUZZ_CHECK(g.fpsShown == shownBefore || g.fpsShown == g.fps);
    }
    ticks = nullptr;
}

void wrappingClock(FuzzInput& in) {
    AngleGauge g;
    int64_t now = in.read<int32_t>(); // true milliseconds, never wrapped
    wrappedNow = wrap(now);
    // As if the meter had just measured and shown at the start.
    g.lastMeasureTick = g.lastShowTick = wrappedNow;
    int64_t lastMeasure = now;
    int64_t lastShow = now;
    float fps = 0.0f;
    float shown = 0.0f;
    for (uint32_t frame = 1; frame <= 100000 && !in.empty(); ++frame) {
        now += in.read<uint32_t>() & 0xFFFFFF; // 70 frames span less than 2^31 ms
        wrappedNow = wrap(now);
        tickFrameRate(g, wrappedTick);

        if (frame % 70 == 0) {
            const int64_t elapsed = now - lastMeasure;
            if (elapsed != 0) {
                const double expected = 70.0 / (static_cast<double>(elapsed) / 1000.0);
                FUZZ_CHECK(std::fabs(g.fps - expected) <= 1e-5 * expected);
                fps = g.fps;
            }
            FUZZ_CHECK(g.fps == fps); // a clock that stood still keeps the previous rate
            lastMeasure = now;
        }
        FUZZ_CHECK(g.frameCount == frame % 70);
        if (now - lastShow > 500) {
            shown = fps;
            lastShow = now;
        }
        FUZZ_CHECK(g.fpsShown == shown && g.lastShowTick == wrap(lastShow));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    if (in.byte() & 1) {
        wrappingClock(in);
    } else {
        anyClock(in);
    }
    return 0;
}
