#pragma once
// A printf-formatted, aligned text label drawn with two FTGL fonts of one face.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "face_file.h"

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

// The text of one print: at most 99 characters and the terminating zero.
constexpr size_t kLabelTextSize = 100;

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
    // The face's bytes, which both fonts read their glyphs from as they first draw them: held as long
    // as the fonts, and shared with every other label made from the same read.
    std::shared_ptr<const FaceBytes> face;

    // Loads the system face, or the platform's fallback face where the system has none.
    void create(int32_t size, TextAlign alignment);
    // Loads the face file at path; a face that fails to load leaves the label silent.
    void createFromFile(const char* path, int32_t size, TextAlign alignment);
    // Makes both fonts from a face already read; a face that fails to load leaves the label silent.
    void createFromFace(const FaceFile& file, int32_t size, TextAlign alignment);
    void print(float x, float y, const char* format, ...) __attribute__((format(printf, 4, 5)));
    void release();
};

// The system face "c:/windows/Fonts/arial.ttf" where it can be read, otherwise the platform's fallback.
FaceFile readLabelFace();

// Where a label's text origin goes for an anchor and a text of width w and height h.
struct LabelOrigin {
    bool translate; // false for an unknown alignment: the text is drawn at the current origin
    float x;
    float y;
};
LabelOrigin labelOrigin(int32_t align, float x, float y, float w, float h);
