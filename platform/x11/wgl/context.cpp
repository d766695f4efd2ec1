// WGL rendering contexts on GLX: legacy (compatibility) RGBA contexts, direct where possible.

#include <algorithm>

#include "layer.h"

namespace {

// The first current context tells how large a surface GL can draw into; a window already larger
// gets its surface cut down now.
void learnSurfaceLimit(HDC dc) {
    LayerState& state = layer();
    if (state.maxSurfaceExtent > 0) return;
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    state.maxSurfaceExtent = std::min(dims[0], dims[1]);
    resizeWindowSurface(dc->window);
}

} // namespace

HGLRC wglCreateContext(HDC dc) {
    Display* display = layer().display;
    if (!display || !dc || !dc->config) return nullptr;
    XErrorTrap trap(display); // GLX refuses some configs with an X error (BadMatch, GLXBadFBConfig)
    GLXContext context = glXCreateNewContext(display, dc->config, GLX_RGBA_TYPE, nullptr, True);
    if (trap.failed() && context) {
        glXDestroyContext(display, context);
        context = nullptr;
    }
    if (!context) return nullptr;
    return new HGLRC__{context};
}

// (dc, NULL) leaves the thread without a current context, as on Win32.
BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    Display* display = layer().display;
    if (!display) return FALSE;
    if (!context) return glXMakeContextCurrent(display, None, None, nullptr) ? TRUE : FALSE;
    if (!dc || !dc->drawable || dc->window->destroyed) return FALSE;
    if (!glXMakeContextCurrent(display, dc->drawable, dc->drawable, context->context)) return FALSE;
    learnSurfaceLimit(dc);
    return TRUE;
}

// A context current on this thread is released first, as Win32 does.
BOOL wglDeleteContext(HGLRC context) {
    Display* display = layer().display;
    if (!display || !context) return FALSE;
    if (glXGetCurrentContext() == context->context) glXMakeContextCurrent(display, None, None, nullptr);
    glXDestroyContext(display, context->context);
    delete context;
    return TRUE;
}
