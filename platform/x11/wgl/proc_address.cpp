// wglGetProcAddress: GL entry points through GLX, and wglSwapIntervalEXT on GLX swap control or,
// where the driver has none, on the layer's own pacing.

#include <algorithm>
#include <cstring>
#include <iterator>

#include "layer.h"
#include "swap_control.h"

namespace {

typedef int(GAUGE_STDCALL* WglSwapInterval)(int);

template <typename Function>
Function glxFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// The EXT function names its drawable; the current one is what Win32 applies the interval to.
int GAUGE_STDCALL swapIntervalExt(int interval) {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return FALSE;
    layer().swapTarget.ext(display, drawable, interval);
    return TRUE;
}

int GAUGE_STDCALL swapIntervalMesa(int interval) {
    return interval >= 0 && layer().swapTarget.mesa(static_cast<unsigned>(interval)) == 0;
}

// NOTE: GLX_SGI_swap_control rejects an interval of 0, so it cannot switch vertical sync off.
int GAUGE_STDCALL swapIntervalSgi(int interval) { return layer().swapTarget.sgi(interval) == 0; }

// NOTE: Mesa under Xvfb lists no swap control, and calling one anyway can end the program with
// an X error, so only a listed extension yields a function.
SwapIntervalTarget lookUpSwapControl(Display* display) {
    SwapIntervalTarget target;
    switch (pickSwapControl(glXQueryExtensionsString(display, DefaultScreen(display)))) {
    case SwapControl::Ext:
        target.ext = glxFunction<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT");
        break;
    case SwapControl::Mesa:
        target.mesa = glxFunction<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA");
        break;
    case SwapControl::Sgi:
        target.sgi = glxFunction<PFNGLXSWAPINTERVALSGIPROC>("glXSwapIntervalSGI");
        break;
    case SwapControl::Missing:
        break;
    }
    return target;
}

// Where GLX lists no swap control the layer paces swaps itself (gdi32/swap_buffers.cpp): to the
// display's refresh rate, interval frames apart. As WGL_EXT_swap_control says, a negative interval
// is refused.
int GAUGE_STDCALL swapIntervalPaced(int interval) {
    if (interval < 0) return FALSE;
    layer().pacedInterval = interval;
    return TRUE;
}

// Every GL function beyond OpenGL 1.1 by name, sorted (generated from glext.h).
constexpr const char* kGlEntryPoints[] = {
#include "gl_entry_points.inc"
};

bool isGlEntryPoint(const char* name) {
    return std::binary_search(std::begin(kGlEntryPoints), std::end(kGlEntryPoints), name,
                              [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
}

WglSwapInterval swapIntervalFunction() {
    LayerState& state = layer();
    if (!state.display) return nullptr;
    if (!state.swapControlResolved) {
        state.swapTarget = lookUpSwapControl(state.display);
        state.swapControlResolved = true;
    }
    if (state.swapTarget.ext) return swapIntervalExt;
    if (state.swapTarget.mesa) return swapIntervalMesa;
    if (state.swapTarget.sgi) return swapIntervalSgi;
    return swapIntervalPaced;
}

} // namespace

PROC wglGetProcAddress(LPCSTR name) {
    // As in opengl32, the current context's driver answers: without one there is nothing to hand out.
    if (!name || !glXGetCurrentContext()) return nullptr;
    // Through void(*)() so the compiler accepts the change of signature.
    if (std::strcmp(name, "wglSwapIntervalEXT") == 0)
        return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(swapIntervalFunction()));
    // Other WGL extensions have no GLX counterpart here. GLX hands out a function for any name
    // beginning with "gl", so only names of real functions are asked for; opengl32 exports the 1.1
    // ones, and wglGetProcAddress gives NULL for them.
    if (!isGlEntryPoint(name)) return nullptr;
    return reinterpret_cast<PROC>(glxFunction<void (*)()>(name));
}
