#pragma once
// The one application object: all state of the gauge, in declared order.

#include <atomic>
#include <cstdint>

#include "win32_handles.h"
#include "text_label.h"

struct PixelPoint {
    int32_t x;
    int32_t y;
};

struct Viewport {
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
};

// The platform's swap-interval switch: 1 waits for the vertical retrace, 0 does not.
typedef int(GAUGE_STDCALL* SwapIntervalProc)(int interval);

// Milliseconds since process start.
typedef int32_t (*TickSource)();

// Default member values are the values at construction; the object lives in static
// storage, so everything not named here is zero.
struct AngleGauge {
    TextLabel fpsLabel;
    TextLabel angleLabel;
    TextLabel coordLabel;
    uint32_t frameCount = 0;
    float fps = 0.0f;
    float fpsShown = 0.0f;
    int32_t lastMeasureTick = 0;
    int32_t lastShowTick = 0;
    PixelPoint vertex = {0, 0};
    PixelPoint armPoint = {0, 0};
    PixelPoint basePoint = {0, 0};
    bool draggingArm = false;
    bool draggingBase = false;
    HDC hdc = nullptr;
    HWND window = nullptr;
    HGLRC glContext = nullptr;
    HPALETTE palette = nullptr;
    float width = 600.0f;
    float height = 600.0f;
    Viewport viewport = {0, 0, 600, 600};
    HANDLE pulseThread = nullptr;
    bool showCoords = true;
    bool vsyncOn = true;
    float armAngle = 0.0f;
    float baseAngle = 0.0f;
    float sweep = 0.0f;
    std::atomic<float> pulseLevel{0.0f};
    bool pulseFalling = false;
};

static_assert(std::atomic<float>::is_always_lock_free, "pulseLevel must be a lock-free 32-bit float");

// The single instance; defined by the application (shell).
extern AngleGauge gauge;

// Installed by the rendering context; null where the driver has no swap control.
extern SwapIntervalProc swapIntervalProc;

// Gauge model: events as the window procedure hands them on.
void onResize(AngleGauge& g, float width, float height);
void onMouse(AngleGauge& g, unsigned message, uint32_t lParam);
void onKey(AngleGauge& g, unsigned virtualKey);

// Pulse generator: one step of the level, and the thread procedure that repeats it.
void pulseStep(AngleGauge& g);
unsigned GAUGE_STDCALL pulseMain(void* gauge);

// Frame-rate meter, once per frame.
int32_t processTick();
void tickFrameRate(AngleGauge& g, TickSource now = processTick);
