#pragma once
// PNG and ICO encoding of straight-alpha 0xAARRGGBB images (top row first).

#include <cstdint>
#include <vector>

struct IconPixels {
    int size;
    std::vector<uint32_t> argb;
};

// An 8-bit RGBA PNG of the image.
std::vector<uint8_t> encodePng(const IconPixels& image);

// A 32-bit BI_RGB DIB as an ICO stores it: header with doubled height, bottom-up BGRA rows, then the AND mask.
std::vector<uint8_t> encodeIconDib(const IconPixels& image);

// An ICO file with the images in the given order; 256-pixel images are stored as PNG, smaller ones as DIBs.
std::vector<uint8_t> encodeIco(const std::vector<IconPixels>& images);
