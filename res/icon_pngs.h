#pragma once
// The application icon's PNG images, embedded at build time (res/embed_pngs.cmake writes the definitions).

#include <cstddef>
#include <cstdint>
#include <vector>

struct EmbeddedPng {
    int size; // width and height in pixels
    const unsigned char* bytes;
    std::size_t length;
};

// Largest first, as the icon directory of tessivar.ico lists them.
extern const EmbeddedPng kAppIconPngs[];
extern const int kAppIconPngCount;

// One PNG as 0xAARRGGBB pixels with straight alpha, top row first; empty if it is not a valid
// size x size PNG.
std::vector<uint32_t> decodeIconPng(const EmbeddedPng& png);
