#pragma once
// The frame: scene pass (rays, arc, markers, indicator), overlay pass (text), buffer swap.

#include <cstdint>

#include "angle_gauge.h"

// Draws one complete frame and swaps the buffers.
void renderFrame(AngleGauge& g);

// Draws the text of the frame and stores the sweep.
void drawOverlay(AngleGauge& g);

// A white arc about (cx, cy), one vertex per whole degree from start + 1 to end.
void drawArc(int32_t start, int32_t end, float radius, int32_t cx, int32_t cy);

// A 4 x 4-pixel point in the current colour.
void drawMarker(int32_t x, int32_t y);

// A quad shaded from blue on its left edge to red on its right edge.
void drawGradientQuad(float x, float y, float w, float h);
