// wglGetProcAddress: GL entry points through GLX, and wglSwapIntervalEXT on GLX swap control.

#include <cstring>

#include "gl_platform.h"
#include "wgl_extensions.h"

namespace {

typedef int(GAUGE_STDCALL* WglSwapInterval)(int);

// The GLX function behind the returned wglSwapIntervalEXT; set by wglGetProcAddress only.
struct SwapIntervalTarget {
    PFNGLXSWAPINTERVALEXTPROC ext = nullptr;
    PFNGLXSWAPINTERVALMESAPROC mesa = nullptr;
    PFNGLXSWAPINTERVALSGIPROC sgi = nullptr;
};
SwapIntervalTarget swapTarget;

template <typename Function>
Function glxFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// The EXT function names its drawable; the current one is what Win32 applies the interval to.
int GAUGE_STDCALL swapIntervalExt(int interval) {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return FALSE;
    swapTarget.ext(display, drawable, interval);
    return TRUE;
}

int GAUGE_STDCALL swapIntervalMesa(int interval) {
    return interval >= 0 && swapTarget.mesa(static_cast<unsigned>(interval)) == 0;
}

// NOTE: GLX_SGI_swap_control rejects an interval of 0, so it cannot switch vertical sync off.
int GAUGE_STDCALL swapIntervalSgi(int interval) { return swapTarget.sgi(interval) == 0; }

// NOTE: Mesa under Xvfb lists no swap control, and calling one anyway can end the program with
// an X error, so only a listed extension yields a function.
WglSwapInterval swapIntervalFunction() {
    Display* display = x11Display();
    if (!display) return nullptr;
    swapTarget = {};
    switch (pickSwapControl(glXQueryExtensionsString(display, DefaultScreen(display)))) {
    case SwapControl::Ext:
        swapTarget.ext = glxFunction<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT");
        return swapTarget.ext ? swapIntervalExt : nullptr;
    case SwapControl::Mesa:
        swapTarget.mesa = glxFunction<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA");
        return swapTarget.mesa ? swapIntervalMesa : nullptr;
    case SwapControl::Sgi:
        swapTarget.sgi = glxFunction<PFNGLXSWAPINTERVALSGIPROC>("glXSwapIntervalSGI");
        return swapTarget.sgi ? swapIntervalSgi : nullptr;
    case SwapControl::Missing:
        break;
    }
    return nullptr;
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
