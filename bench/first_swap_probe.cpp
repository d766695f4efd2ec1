// Preloaded by startup_bench into each program it starts: when the first glXSwapBuffers returns, the
// CLOCK_MONOTONIC time in nanoseconds is written, as text, to the descriptor named by
// TESSIVAR_FIRST_SWAP_FD, which is then closed. Both programs swap through libGL's glXSwapBuffers, so
// the same moment is taken in each: the first frame handed to the X server.

#include <GL/glx.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

using SwapFunction = void (*)(Display*, GLXDrawable);

void reportOnce() {
    static bool reported = false;
    if (reported) return;
    reported = true;
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char* descriptor = std::getenv("TESSIVAR_FIRST_SWAP_FD");
    if (!descriptor) return;
    const int fd = std::atoi(descriptor);
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
    if (write(fd, text, static_cast<size_t>(length)) != length) std::perror("first_swap_probe");
    close(fd);
}

} // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static const auto next = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    next(display, drawable);
    reportOnce();
}
