// The application object: constructed before WinMain runs, torn down by the runtime's exit processing.

#include <cstdlib>
#include <system_error>
#include <thread>

#include "angle_gauge.h"
#include "gauge_setup.h"
#include "render_context.h"
#include "win32_api.h"

AngleGauge gauge;

namespace {

// Loads the labels from the gauge's construction until the first frame: choosing and reading the face
// (fontconfig's match is most of it on Linux) overlaps opening the window and making its GL context.
// Nothing else touches the labels meanwhile; awaitGaugeLabels hands them over.
std::thread labelLoader;

void startLoadingLabels() {
    try {
        labelLoader = std::thread([] { createGaugeLabels(gauge); });
    } catch (const std::system_error&) {
        createGaugeLabels(gauge); // no thread to be had: load them now
    }
}

// Handles, counters and the model's start values are the member defaults of static storage.
void constructGauge() {
    startLoadingLabels();
    gauge.pulseThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, pulseMain, &gauge, 0, nullptr));
}

// The pulse thread is neither told to stop nor awaited: process exit ends it, and the
// gauge's storage outlives it.
void destroyGauge() {
    CloseHandle(gauge.pulseThread);
    teardownRenderContext();
    awaitGaugeLabels(); // an exit before the first frame may find them still loading
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

void awaitGaugeLabels() {
    if (labelLoader.joinable()) labelLoader.join();
}
