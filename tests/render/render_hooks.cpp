// Test versions of the platform's fallback face and the shell's buffer swap.

#include "render_hooks.h"

#include <GL/gl.h>

#include "seams.h"

const char* testFallbackFace = kTestFace;
int swapCount = 0;
HDC lastSwapDc = nullptr;

const char* fallbackFaceFile() { return testFallbackFace; }

// A pbuffer has nothing to swap; finishing makes the frame readable.
void swapFrameBuffers(HDC dc) {
    ++swapCount;
    lastSwapDc = dc;
    glFinish();
}
