// The application object: constructed before WinMain runs, torn down by the runtime's exit processing.

#include <cstdlib>

#include "angle_gauge.h"
#include "render_context.h"
#include "win32_api.h"

AngleGauge gauge;

namespace {

void createLabel(TextLabel& label, int32_t size, TextAlign alignment, float r, float g, float b) {
    label.create(size, alignment);
    label.fillColor[0] = r;
    label.fillColor[1] = g;
    label.fillColor[2] = b;
}

// Handles, counters and the model's start values are the member defaults of static storage.
void constructGauge() {
    createLabel(gauge.fpsLabel, 22, AlignLeft, 0.2f, 1.0f, 0.4f);
    createLabel(gauge.angleLabel, 15, AlignCenter, 1.0f, 1.0f, 1.0f);
    createLabel(gauge.coordLabel, 14, AlignLeft, 1.0f, 1.0f, 1.0f);
    gauge.pulseThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, pulseMain, &gauge, 0, nullptr));
}

// The pulse thread is neither told to stop nor awaited: process exit ends it, and the
// gauge's storage outlives it.
void destroyGauge() {
    CloseHandle(gauge.pulseThread);
    teardownRenderContext();
    gauge.coordLabel.release();
    gauge.angleLabel.release();
    gauge.fpsLabel.release();
}

struct GaugeLifetime {
    GaugeLifetime() {
        constructGauge();
        std::atexit(destroyGauge);
    }
};
const GaugeLifetime lifetime;

} // namespace
