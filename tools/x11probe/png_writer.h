// PNG encoding of plain 8-bit RGB images.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A packed 8-bit RGB image, rows top to bottom, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* pixel(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Encodes the image as a complete PNG file (colour type 2, no filtering); empty on a malformed image.
std::vector<std::uint8_t> encodePng(const RgbImage& image);

// Writes encodePng(image) to path; false if encoding or writing fails.
bool writePngFile(const RgbImage& image, const std::string& path);
