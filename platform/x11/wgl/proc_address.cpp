// wglGetProcAddress: GL entry points through GLX, and wglSwapIntervalEXT on GLX swap control or,
// where the driver has none, on the layer's own pacing.

#include <cstring>

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
    if (!name) return nullptr;
    // Through void(*)() so the compiler accepts the change of signature.
    if (std::strcmp(name, "wglSwapIntervalEXT") == 0)
        return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(swapIntervalFunction()));
    // Other WGL extensions have no GLX counterpart here.
    if (std::strncmp(name, "wgl", 3) == 0) return nullptr;
    return reinterpret_cast<PROC>(glxFunction<void (*)()>(name));
}
