// WGL rendering contexts on GLX: legacy (compatibility) RGBA contexts, direct where possible.

#include "layer.h"

HGLRC wglCreateContext(HDC dc) {
    Display* display = layer().display;
    if (!display || !dc || !dc->config) return nullptr;
    GLXContext context = glXCreateNewContext(display, dc->config, GLX_RGBA_TYPE, nullptr, True);
    if (!context) return nullptr;
    return new HGLRC__{context};
}

// (dc, NULL) leaves the thread without a current context, as on Win32.
BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    Display* display = layer().display;
    if (!display) return FALSE;
    if (!context) return glXMakeContextCurrent(display, None, None, nullptr) ? TRUE : FALSE;
    if (!dc || !dc->drawable || dc->window->destroyed) return FALSE;
    return glXMakeContextCurrent(display, dc->drawable, dc->drawable, context->context) ? TRUE : FALSE;
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
