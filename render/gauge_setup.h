#pragma once
// The start-up pieces of drawing that the program, the render tests and the benchmarks share.

#include "angle_gauge.h"

// The three labels as the program makes them, in this order: the frame rate (22 pt, left, green),
// the angles (15 pt, centred, white) and the coordinates (14 pt, left, white).
// On the system face, or the platform's fallback where the system has none:
void createGaugeLabels(AngleGauge& g);
// On the face file at path (null or unreadable: the labels stay silent):
void createGaugeLabelsFromFile(AngleGauge& g, const char* path);

// Releases the labels in the reverse order of their creation.
void releaseGaugeLabels(AngleGauge& g);

// The GL state every frame relies on, set once after the context is made current. Back faces stay
// culled for the life of the program, so every filled quad is issued counter-clockwise.
void setFixedGlState();
