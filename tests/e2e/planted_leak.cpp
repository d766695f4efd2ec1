// Preloaded into the program by the soak test only, to show that its judge catches a leak: each time the
// program sizes its GL surface to 600 x 600 (once a round of the soak) a buffer of that window's pixels
// is allocated, touched and never freed. The shipped program knows nothing of it.

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace {

using ResizeFunction = int (*)(Display*, Window, unsigned, unsigned);
constexpr size_t kWindowBytes = 600 * 600 * 4;
void* volatile lastLeaked = nullptr; // keeps the compiler from dropping the allocation

} // namespace

extern "C" int XResizeWindow(Display* display, Window window, unsigned width, unsigned height) {
    static const auto next = reinterpret_cast<ResizeFunction>(dlsym(RTLD_NEXT, "XResizeWindow"));
    if (width == 600 && height == 600) {
        void* leaked = std::malloc(kWindowBytes);
        if (leaked) std::memset(leaked, 0x5a, kWindowBytes);
        lastLeaked = leaked;
    }
    return next(display, window, width, height);
}
