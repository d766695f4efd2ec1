// Two captures of the gauge's client area compared pixel for pixel, as the Linux build and the Windows build under
// Wine must match: everything but the frame rate's value and the colour key.
#pragma once

#include "rgb_image.h"

#include <string>

struct ClientAreaDiff {
    int differing = 0;        // pixels that differ outside what is left out
    int keyed = 0;            // pure blue in Wine's capture, left out: Wine keeps colour-key pixels on screen
    int keyedShownByOurs = 0; // of those, pure blue in ours too: our colour key did not cut them out
    std::string examples;     // the first few differing pixels, in GL coordinates, with both colours
    RgbImage picture;         // ours dimmed where equal, dark blue where left out, magenta where differing
};

// Everything the frame-rate label can cover whatever its value, at the top-left corner of any client area: it is
// drawn from x 5, centred 15 px below the top, and "FPS : 99999.99" at 22 px is about 170 px wide.
constexpr int frameRateAreaWidth = 221;
constexpr int frameRateAreaDepth = 35;

// Captures of the same size; the frame-rate area is left out as well. A pair of different sizes differs in every
// pixel of either.
ClientAreaDiff compareClientAreas(const RgbImage& ours, const RgbImage& wine);
