// frame_bench: how fast the renderer draws complete gauge frames (rays, arc, markers,
// indicator and all labels) into an offscreen 600 x 600 context, with nothing pacing it.
// Usage: frame_bench [frames]

#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "angle_gauge.h"
#include "egl_surfaceless.h"
#include "gauge_setup.h"
#include "scene_pass.h"
#include "seams.h"

namespace {

// A drag in progress: the arm swings while the base stays, so every frame's text changes.
void moveArm(AngleGauge& g, int frame) {
    g.draggingArm = true;
    g.armPoint = {300 + (frame % 200) - 100, 450};
    g.basePoint = {450, 310};
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

// The offscreen surface has nothing to present; finishing counts the frame's whole cost.
void swapFrameBuffers(HDC) { glFinish(); }

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 2000;
    static AngleGauge gauge;  // zero-filled static storage, as the program's
    createGaugeLabels(gauge); // before the context, as the program does
    OffscreenContext context;
    if (!makeOffscreenContext(context, 600, 600)) {
        std::fprintf(stderr, "frame_bench: no EGL surfaceless context\n");
        return 1;
    }
    setFixedGlState();
    onResize(gauge, 600.0f, 600.0f);

    for (int i = 0; i < 50; ++i) renderFrame(gauge); // glyph caches and driver warm-up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        moveArm(gauge, i);
        renderFrame(gauge);
    }
    const double ms = millisecondsSince(start);
    std::printf("frames: %d\n", frames);
    std::printf("time: %.1f ms\n", ms);
    std::printf("per frame: %.3f ms\n", ms / frames);
    std::printf("frame rate: %.1f frames/s\n", frames * 1000.0 / ms);
    destroyOffscreenContext(context);
    return 0;
}
