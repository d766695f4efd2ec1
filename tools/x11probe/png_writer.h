// PNG files of plain 8-bit RGB images, written with libpng.
#pragma once

#include "rgb_image.h"

#include <cstdint>
#include <string>
#include <vector>

// The image as a complete PNG file (8-bit RGB, no alpha); empty on a malformed image.
std::vector<std::uint8_t> encodePng(const RgbImage& image);

// Writes the image to path as a PNG file; false (and no file left behind) if the image is malformed or writing fails.
bool writePngFile(const RgbImage& image, const std::string& path);
