#pragma once
// A legacy GL context without any window system: EGL on Mesa's surfaceless platform with an
// RGBA8 pbuffer and depth, for drawing frames with no X server: the render tests and the benchmarks.

#include <EGL/egl.h>

struct OffscreenContext {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
};

// Makes the context and makes it current; false when EGL or the surfaceless platform is missing.
bool makeOffscreenContext(OffscreenContext& out, int width, int height);
void destroyOffscreenContext(OffscreenContext& context);
