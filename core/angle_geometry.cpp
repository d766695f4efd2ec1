// Angle rules with the exact roundings the display relies on.

#include "angle_geometry.h"

#include <cmath>

float rayAngle(PixelPoint v, PixelPoint p) {
    const int32_t dy = p.y - v.y;
    const int32_t dx = p.x - v.x;
    const float r = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
    float deg = static_cast<float>(static_cast<double>(r) * 180.0 / kPi);
    if (p.y < v.y) deg = static_cast<float>(static_cast<double>(deg) + 360.0);
    return deg;
}

RayOffset rayOffset(float degrees, double length) {
    const float rad = static_cast<float>(static_cast<double>(degrees) * kPi / 180.0);
    const float c = static_cast<float>(std::cos(static_cast<double>(rad)));
    const float s = static_cast<float>(std::sin(static_cast<double>(rad)));
    return {static_cast<float>(static_cast<double>(c) * length), static_cast<float>(static_cast<double>(s) * length)};
}

float sweepAngle(float arm, float base) {
    const double a = arm;
    const double b = base;
    return static_cast<float>(b <= a ? a - b : a - b + 360.0);
}

ArcSpan arcSpan(float arm, float base) {
    if (base < arm) return {true, static_cast<int32_t>(base), static_cast<int32_t>(arm)};
    if (base > arm) return {true, static_cast<int32_t>(base), static_cast<int32_t>(static_cast<double>(arm) + 360.0)};
    return {false, 0, 0};
}

bool isAxisAligned(float a) { return a == 0.0f || a == 90.0f || a == 180.0f || a == 270.0f; }
