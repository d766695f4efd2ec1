#pragma once
// The application icon: a dark ring with a light lower rim on a transparent ground.

#include <cstdint>
#include <vector>

// Ring geometry as fractions of the image size, measured from the centre.
constexpr double kRingOuterRadius = 0.47;
constexpr double kRingInnerRadius = 0.29;

// The icon drawn at size x size pixels, 0xAARRGGBB with straight alpha, top row first.
std::vector<uint32_t> drawRingIcon(int size);
