// PNG files of plain 8-bit RGB images, written with libpng.
#pragma once

#include "rgb_image.h"

#include <string>

// Writes the image to path as a PNG file; false (and no file left behind) if the image is malformed or writing fails.
bool writePngFile(const RgbImage& image, const std::string& path);
