#pragma once
// A printf-formatted, aligned text label drawn with two FTGL fonts of one face.

#include <cstdint>

class FTPolygonFont;
class FTOutlineFont;

enum TextAlign : int32_t {
    AlignLeft = 0,
    AlignCenter = 1,
    AlignRight = 2,
};

enum TextStyle : uint32_t {
    StyleOutline = 2, // draw the outline pass after the fill
};

struct TextLabel {
    FTPolygonFont* fillFont = nullptr;
    FTOutlineFont* outlineFont = nullptr;
    bool ready = false;
    int32_t align = AlignLeft;
    uint32_t style = 0;
    int32_t faceSize = 12;
    float fillColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float outlineColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    bool drawBox = false;
    bool textFirst = false;

    void create(int32_t size, TextAlign alignment);
    void print(float x, float y, const char* format, ...);
    void release();
};
