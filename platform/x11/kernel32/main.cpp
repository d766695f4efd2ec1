// The process entry point: checks for a display, then runs the Win32-shaped program.

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

} // namespace

int main() {
    if (!layer().display) {
        reportNoDisplay();
        return 1;
    }
    return WinMain(&programInstance, nullptr, emptyCommandLine, SW_SHOW);
}
