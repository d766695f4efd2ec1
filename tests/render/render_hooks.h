#pragma once
// What the platform layer and the shell provide to the renderer, as the tests provide it.

#include "angle_gauge.h"

constexpr char kTestFace[] = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

// The face returned by fallbackFaceFile(); tests may point it elsewhere.
extern const char* testFallbackFace;

// Buffer swaps seen so far, and the device context of the last one.
extern int swapCount;
extern HDC lastSwapDc;
