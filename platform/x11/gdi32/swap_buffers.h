#pragma once
// SwapBuffers' pacing of one device context: where the driver has no swap control the layer keeps the
// program's swap interval itself, and a window nobody can see is held to a few frames a second.

// What the pacing of one device context keeps between swaps.
struct PacingState {
    long long lastSwap = 0;     // monotonic ns of the last swap the layer paced; 0: none yet
    long long mapCheckedAt = 0; // monotonic ns of the last look at the window's map state; 0: none yet
    bool viewable = true;       // the window was viewable at that look
};
