// Spans of non-key pixels per row, merged into bands of identical rows.

#include "color_key_runs.h"

namespace {

struct Span {
    int begin;
    int end;
    bool operator==(const Span& other) const { return begin == other.begin && end == other.end; }
};

struct KeyColour {
    unsigned char red, green, blue;
    bool matches(const unsigned char* pixel) const { return pixel[0] == red && pixel[1] == green && pixel[2] == blue; }
};

KeyColour keyColour(COLORREF key) {
    return {static_cast<unsigned char>(key & 0xFF), static_cast<unsigned char>((key >> 8) & 0xFF),
            static_cast<unsigned char>((key >> 16) & 0xFF)};
}

// The runs of pixels in one row that are not the key colour, left to right.
void opaqueSpans(const unsigned char* row, int width, KeyColour key, std::vector<Span>& spans) {
    spans.clear();
    int x = 0;
    while (x < width) {
        while (x < width && key.matches(row + 4 * x)) ++x;
        const int begin = x;
        while (x < width && !key.matches(row + 4 * x)) ++x;
        if (x > begin) spans.push_back({begin, x});
    }
}

} // namespace

std::vector<MaskRect> opaqueRectangles(const unsigned char* rgba, int width, int height, COLORREF key) {
    std::vector<MaskRect> rects;
    if (!rgba || width <= 0 || height <= 0) return rects;
    const KeyColour colour = keyColour(key);
    std::vector<Span> spans;
    std::vector<Span> bandSpans;
    size_t bandStart = 0;
    for (int y = 0; y < height; ++y) {
        // NOTE: GL rows run bottom-up, X rows top-down.
        const unsigned char* row = rgba + static_cast<size_t>(height - 1 - y) * width * 4;
        opaqueSpans(row, width, colour, spans);
        if (y > 0 && spans == bandSpans) {
            for (size_t i = bandStart; i < rects.size(); ++i) ++rects[i].height;
            continue;
        }
        bandStart = rects.size();
        for (const Span& span : spans) rects.push_back({span.begin, y, span.end - span.begin, 1});
        bandSpans.swap(spans);
    }
    return rects;
}
