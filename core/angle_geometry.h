#pragma once
// Pure angle rules: ray directions, offsets along a ray, sweep, arc span, axis test.

#include <cstdint>

#include "angle_gauge.h"

// pi rounded to single precision, used as a double in every conversion.
constexpr double kPi = 3.1415927410125732;

struct RayOffset {
    float dx;
    float dy;
};

struct ArcSpan {
    bool present;  // false: the angles are equal, no arc
    int32_t start; // the arc's first vertex is at start + 1
    int32_t end;   // last vertex, inclusive; may exceed 360
};

float rayAngle(PixelPoint vertex, PixelPoint point);
RayOffset rayOffset(float degrees, double length);
float sweepAngle(float arm, float base);
ArcSpan arcSpan(float arm, float base);
bool isAxisAligned(float angle);
