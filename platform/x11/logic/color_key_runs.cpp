// Spans of non-key pixels per row, merged into bands of identical rows.

#include "color_key_runs.h"

#include <algorithm>

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFF;

struct Span {
    int begin;
    int end;
    bool operator==(const Span& other) const { return begin == other.begin && end == other.end; }
};

// NOTE: written as a branch-free reduction over blocks so the compiler turns it into vector compares;
// nearly every row of a real frame has no key pixel, and this is what decides that.
bool anyKey(const uint32_t* pixels, size_t count, uint32_t key) {
    constexpr size_t kBlock = 256;
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint32_t hits = 0;
        for (size_t j = 0; j < kBlock; ++j) hits |= static_cast<uint32_t>((pixels[i + j] & kColourBits) == key);
        if (hits) return true;
    }
    uint32_t hits = 0;
    for (; i < count; ++i) hits |= static_cast<uint32_t>((pixels[i] & kColourBits) == key);
    return hits != 0;
}

// The runs of opaque pixels in one row of the window, left to right. Past the frame's width the row is
// opaque; a run touching an edge of the window reaches margin pixels past it, and a row of nothing but
// key keeps the margins alone.
void opaqueSpans(const uint32_t* row, int frameWidth, int windowWidth, uint32_t key, int margin,
                 std::vector<Span>& spans) {
    spans.clear();
    const int right = windowWidth + margin;
    if (!anyKey(row, static_cast<size_t>(frameWidth), key)) {
        spans.push_back({-margin, right});
        return;
    }
    auto isKey = [row, key](int x) { return (row[x] & kColourBits) == key; };
    if (margin > 0 && isKey(0)) spans.push_back({-margin, 0});
    int x = 0;
    while (x < frameWidth) {
        while (x < frameWidth && isKey(x)) ++x;
        const int begin = x;
        while (x < frameWidth && !isKey(x)) ++x;
        if (x > begin) spans.push_back({begin == 0 ? -margin : begin, x == frameWidth ? right : x});
    }
    if (isKey(frameWidth - 1) && right > frameWidth) spans.push_back({frameWidth, right});
}

void addBand(std::vector<MaskRect>& rects, int y, int height, int left, int right) {
    rects.push_back({left, y, right - left, height});
}

} // namespace

uint32_t keyWord(COLORREF key) {
    const uint32_t red = key & 0xFF;
    const uint32_t green = (key >> 8) & 0xFF;
    const uint32_t blue = (key >> 16) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

// NOTE: one AND over every word, which the compiler vectorises: a pass over the frame costs about as
// much as reading it from memory.
// NOTE: blocks of a fixed length, as in anyKey, so the compiler vectorises the reduction; it runs over
// every pixel of every frame read under a compositor.
bool allOpaque(const uint32_t* pixels, size_t count) {
    if (!pixels) return count == 0;
    constexpr size_t kBlock = 256;
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        uint32_t all = 0xFFFFFFFFu;
        for (size_t j = 0; j < kBlock; ++j) all &= pixels[i + j];
        if ((all >> 24) != 0xFF) return false;
    }
    uint32_t all = 0xFFFFFFFFu;
    for (; i < count; ++i) all &= pixels[i];
    return (all >> 24) == 0xFF;
}

bool hasKeyPixel(const uint32_t* pixels, size_t count, COLORREF key) {
    return pixels && anyKey(pixels, count, keyWord(key));
}

void opaqueRectangles(const FrameView& frame, int windowWidth, int windowHeight, COLORREF key, int margin,
                      std::vector<MaskRect>& rects) {
    rects.clear();
    if (!frame.pixels || frame.width <= 0 || frame.height <= 0) return;
    if (margin < 0) margin = 0;
    windowWidth = std::max(windowWidth, frame.width);
    windowHeight = std::max(windowHeight, frame.height);
    const uint32_t keyColour = keyWord(key);
    // Reused across calls: the spans of a frame are rebuilt every time it has key pixels.
    thread_local std::vector<Span> spans;
    thread_local std::vector<Span> bandSpans;
    bandSpans.clear();
    // The rows above the frame, and the margin above the window.
    const int top = windowHeight - frame.height;
    if (margin + top > 0) addBand(rects, -margin, margin + top, -margin, windowWidth + margin);
    size_t bandStart = rects.size();
    for (int y = top; y < windowHeight; ++y) {
        // NOTE: GL rows run bottom-up, X rows top-down.
        const uint32_t* row = frame.pixels + static_cast<size_t>(windowHeight - 1 - y) * frame.width;
        opaqueSpans(row, frame.width, windowWidth, keyColour, margin, spans);
        if (y > top && spans == bandSpans) {
            for (size_t i = bandStart; i < rects.size(); ++i) ++rects[i].height;
            continue;
        }
        bandStart = rects.size();
        for (const Span& span : spans) rects.push_back({span.begin, y, span.end - span.begin, 1});
        bandSpans.swap(spans);
    }
    if (margin > 0) addBand(rects, windowHeight, margin, -margin, windowWidth + margin);
}

void keyRectangles(const std::vector<MaskRect>& opaque, int windowWidth, int windowHeight,
                   std::vector<MaskRect>& keyRects) {
    keyRects.clear();
    size_t i = 0;
    int covered = 0; // rows above this have been accounted for
    while (i < opaque.size()) {
        const int y = opaque[i].y;
        const int height = opaque[i].height;
        const int bandTop = std::max(y, 0);
        const int bandBottom = std::min(y + height, windowHeight);
        // Rows that no band covers are key from edge to edge.
        if (bandTop > covered && covered < windowHeight)
            keyRects.push_back({0, covered, windowWidth, std::min(bandTop, windowHeight) - covered});
        int x = 0;
        for (; i < opaque.size() && opaque[i].y == y; ++i) {
            const int left = std::max(opaque[i].x, 0);
            if (bandBottom > bandTop && left > x)
                keyRects.push_back({x, bandTop, std::min(left, windowWidth) - x, bandBottom - bandTop});
            x = std::max(x, opaque[i].x + opaque[i].width);
        }
        if (bandBottom > bandTop && x < windowWidth)
            keyRects.push_back({x, bandTop, windowWidth - x, bandBottom - bandTop});
        covered = std::max(covered, bandBottom);
    }
    if (covered < windowHeight) keyRects.push_back({0, covered, windowWidth, windowHeight - covered});
}
