// The process entry point: checks for a display, then runs the Win32-shaped program.

#include <malloc.h>

#include <cstdio>
#include <cstdlib>

#include "layer.h"

struct HINSTANCE__ {
    int unused;
};

namespace {

HINSTANCE__ programInstance = {};
char emptyCommandLine[] = "";

void reportNoDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name && *name) {
        std::fprintf(stderr, "tessivar: cannot open display \"%s\" (from $DISPLAY)\n", name);
    } else {
        std::fprintf(stderr, "tessivar: cannot open display: $DISPLAY is not set\n");
    }
}

// NOTE: glibc returns freed memory to the system as soon as the top of the heap is 128 KiB free, and
// serves blocks of 128 KiB and more with mmap of their own. Per-frame buffers of that size (the GL
// driver's among them) then cost a fresh set of page faults every frame. With these thresholds the
// heap stays once it has grown; blocks of 32 MiB and more, such as the frame of a very large window,
// still go back to the system when freed.
void keepHeapBetweenFrames() {
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
}

// NOTE: opening the display and starting the GL driver take a third of the time to the first frame,
// and the program's static constructors (its labels read their face then) need neither; begun here,
// ahead of them (a constructor priority runs before plain static constructors), the two overlap.
[[gnu::constructor(101)]] void startOpeningDisplay() { openDisplayEarly(); }

} // namespace

int main() {
    keepHeapBetweenFrames();
    if (!layer().display) {
        reportNoDisplay();
        return 1;
    }
    return WinMain(&programInstance, nullptr, emptyCommandLine, SW_SHOW);
}
