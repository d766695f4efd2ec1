#pragma once
// The start-up pieces of drawing that the program, the render tests and the benchmarks share.

#include "angle_gauge.h"

// How each of the three labels looks, in the order they are made.
struct LabelLook {
    TextLabel AngleGauge::*label;
    int32_t size;
    TextAlign alignment;
    float red;
    float green;
    float blue;
};
inline constexpr LabelLook kGaugeLabelLooks[] = {
    {&AngleGauge::fpsLabel, 22, AlignLeft, 0.2f, 1.0f, 0.4f},
    {&AngleGauge::angleLabel, 15, AlignCenter, 1.0f, 1.0f, 1.0f},
    {&AngleGauge::coordLabel, 14, AlignLeft, 1.0f, 1.0f, 1.0f},
};

// The label's fill colour from its look; the alpha stays.
void setFillColour(TextLabel& label, const LabelLook& look);

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
