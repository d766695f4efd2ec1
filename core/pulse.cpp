// Pulse generator: a level rising and falling by 0.03 every 10 ms, for blinking.

#include <chrono>
#include <thread>

#include "angle_gauge.h"

void pulseStep(AngleGauge& g) {
    const double level = g.pulseLevel.load(std::memory_order_relaxed);
    if (g.pulseFalling) {
        const float next = static_cast<float>(level - 0.03);
        g.pulseLevel.store(next, std::memory_order_relaxed);
        if (next < 0.0f) g.pulseFalling = false;
    } else {
        const float next = static_cast<float>(level + 0.03);
        g.pulseLevel.store(next, std::memory_order_relaxed);
        if (next > 1.0f) g.pulseFalling = true;
    }
}

unsigned GAUGE_STDCALL pulseMain(void* gauge) {
    AngleGauge& g = *static_cast<AngleGauge*>(gauge);
    for (;;) {
        pulseStep(g);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
