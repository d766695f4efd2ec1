// The application object: constructed before WinMain runs, torn down by the runtime's exit processing.

#include <cstdlib>

#include "angle_gauge.h"
#include "gauge_setup.h"
#include "render_context.h"
#include "win32_api.h"

AngleGauge gauge;

namespace {

// Handles, counters and the model's start values are the member defaults of static storage.
void constructGauge() {
    createGaugeLabels(gauge);
    gauge.pulseThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, pulseMain, &gauge, 0, nullptr));
}

// The pulse thread is neither told to stop nor awaited: process exit ends it, and the
// gauge's storage outlives it.
void destroyGauge() {
    CloseHandle(gauge.pulseThread);
    teardownRenderContext();
    releaseGaugeLabels(gauge);
}

struct GaugeLifetime {
    GaugeLifetime() {
        constructGauge();
        std::atexit(destroyGauge);
    }
};
const GaugeLifetime lifetime;

} // namespace
