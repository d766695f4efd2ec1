#include "egl_surfaceless.h"

#include <EGL/eglext.h>

namespace {

EGLDisplay surfacelessDisplay() {
    const auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return EGL_NO_DISPLAY;
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

} // namespace

bool makeOffscreenContext(OffscreenContext& out, int width, int height) {
    out.display = surfacelessDisplay();
    if (out.display == EGL_NO_DISPLAY || !eglInitialize(out.display, nullptr, nullptr)) return false;
    if (!eglBindAPI(EGL_OPENGL_API)) return false;
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_ALPHA_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       24,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(out.display, configAttributes, &config, 1, &configCount) || configCount < 1) return false;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    out.surface = eglCreatePbufferSurface(out.display, config, surfaceAttributes);
    out.context = eglCreateContext(out.display, config, EGL_NO_CONTEXT, nullptr);
    if (out.surface == EGL_NO_SURFACE || out.context == EGL_NO_CONTEXT) return false;
    return eglMakeCurrent(out.display, out.surface, out.surface, out.context);
}

void destroyOffscreenContext(OffscreenContext& c) {
    if (c.display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(c.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (c.context != EGL_NO_CONTEXT) eglDestroyContext(c.display, c.context);
    if (c.surface != EGL_NO_SURFACE) eglDestroySurface(c.display, c.surface);
    eglTerminate(c.display);
    c = OffscreenContext{};
}
