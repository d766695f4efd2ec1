// The layer's state outlives every exit handler: the program releases its palette, GL context and
// thread handle from an exit handler registered before the layer is first used.

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

#include "win32_api.h"

namespace {

HPALETTE palette = nullptr;
HANDLE thread = nullptr;

// Reports through the exit status what the layer says to releases made during exit processing.
void releaseAtExit() {
    const bool paletteDeleted = DeleteObject(palette) == TRUE;
    const bool threadClosed = CloseHandle(thread) == TRUE;
    _exit(paletteDeleted && threadClosed ? 0 : 3);
}

unsigned GAUGE_STDCALL idle(void*) { return 0; }

void runLikeTheProgram() {
    std::atexit(releaseAtExit); // as the gauge registers its teardown, before any layer call
    LOGPALETTE logical = {0x300, 1, {{10, 20, 30, 0}}};
    palette = CreatePalette(&logical);
    thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, idle, nullptr, 0, nullptr));
    if (!palette || !thread) _exit(4);
    std::exit(0);
}

} // namespace

TEST(LayerLifetime, HandlesMadeAfterTheTeardownWasRegisteredCanBeReleasedByIt) {
    EXPECT_EXIT(runLikeTheProgram(), ::testing::ExitedWithCode(0), "");
}

// Our own main: the layer's library carries the program's entry point, which only a main defined
// here keeps out of the link.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
