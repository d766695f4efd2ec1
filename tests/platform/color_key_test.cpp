// The colour key as shape rectangles, from made-up frames laid out as glReadPixels returns them with
// GL_BGRA / GL_UNSIGNED_INT_8_8_8_8_REV: one 0xAARRGGBB word a pixel, rows bottom-up.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "color_key_runs.h"

namespace {

constexpr COLORREF kBlueKey = 0x00FF0000; // the program's key: red 0, green 0, blue 255
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// A frame addressed in window coordinates (y down) but stored bottom-up, as GL reads it.
class Frame {
public:
    Frame(int width, int height, uint32_t fill) : width_(width), height_(height), words_(width * height, fill) {}
    void set(int x, int y, uint32_t c) { words_[(height_ - 1 - y) * width_ + x] = c; }
    void setRow(int y, uint32_t c) {
        for (int x = 0; x < width_; ++x) set(x, y, c);
    }
    FrameView view() const { return {words_.data(), width_, height_}; }
    std::vector<MaskRect> rects(COLORREF key = kBlueKey, int margin = 0) const {
        return rectsIn(width_, height_, key, margin);
    }
    std::vector<MaskRect> rectsIn(int windowWidth, int windowHeight, COLORREF key = kBlueKey, int margin = 0) const {
        std::vector<MaskRect> rects;
        opaqueRectangles(view(), windowWidth, windowHeight, key, margin, rects);
        return rects;
    }
    bool hasKey(COLORREF key = kBlueKey) const { return hasKeyPixel(words_.data(), words_.size(), key); }

private:
    int width_;
    int height_;
    std::vector<uint32_t> words_;
};

using Rects = std::vector<MaskRect>;

// How often each pixel of a w x h area (offset by margin) is covered by the rectangles.
std::vector<int> coverage(const Rects& rects, int left, int top, int width, int height) {
    std::vector<int> covered(width * height, 0);
    for (const MaskRect& r : rects)
        for (int y = std::max(r.y, top); y < std::min(r.y + r.height, top + height); ++y)
            for (int x = std::max(r.x, left); x < std::min(r.x + r.width, left + width); ++x)
                ++covered[(y - top) * width + (x - left)];
    return covered;
}

// YXBanded: bands in order without overlap, rectangles of a band sharing y and height, apart in x.
void expectYXBanded(const Rects& rects) {
    for (size_t i = 1; i < rects.size(); ++i) {
        const MaskRect& p = rects[i - 1];
        const MaskRect& r = rects[i];
        if (p.y == r.y) {
            EXPECT_EQ(p.height, r.height) << "rectangle " << i;
            EXPECT_LT(p.x + p.width, r.x) << "rectangle " << i << " must start after a gap";
        } else {
            EXPECT_GE(r.y, p.y + p.height) << "band of rectangle " << i << " overlaps the one above";
        }
    }
}

TEST(ColorKeyScan, FindsOneKeyPixelWhereverItIs) {
    const int count = 1027; // blocks of 256 and a tail
    for (int at : {0, 255, 256, 700, 1023, 1024, 1026}) {
        std::vector<uint32_t> words(count, kWhite);
        EXPECT_FALSE(hasKeyPixel(words.data(), words.size(), kBlueKey));
        words[at] = kBlue;
        EXPECT_TRUE(hasKeyPixel(words.data(), words.size(), kBlueKey)) << "key at " << at;
        EXPECT_FALSE(hasKeyPixel(words.data(), at, kBlueKey)) << "counted past the end, key at " << at;
    }
    EXPECT_FALSE(hasKeyPixel(nullptr, 10, kBlueKey));
}

// A frame whose alpha is 255 everywhere lets the compositor's hint carry the opacity; one pixel of
// anything less, wherever it is and whatever its colour, must be found.
TEST(ColorKeyScan, AllOpaqueFindsOnePixelOfLowerAlphaWhereverItIs) {
    const int count = 1027;
    for (int at : {0, 255, 700, 1026}) {
        for (uint32_t translucent : {0xFEFFFFFFu, 0x7F000000u, 0x00FFFFFFu}) {
            std::vector<uint32_t> words(count, kWhite);
            EXPECT_TRUE(allOpaque(words.data(), words.size()));
            words[at] = translucent;
            EXPECT_FALSE(allOpaque(words.data(), words.size())) << std::hex << translucent << " at " << std::dec << at;
            EXPECT_TRUE(allOpaque(words.data(), at)) << "counted past the end";
        }
    }
    EXPECT_TRUE(allOpaque(nullptr, 0));
}

TEST(ColorKeyScan, OnlyTheExactColourIsKeyWhateverTheAlpha) {
    EXPECT_EQ(keyWord(kBlueKey), 0x000000FFu);
    EXPECT_EQ(keyWord(0x00123456), 0x00563412u) << "COLORREF is 0x00BBGGRR, the word 0xAARRGGBB";
    for (uint32_t near : {0xFF0000FEu, 0xFF0100FFu, 0xFF0001FFu, 0x000001FFu}) {
        std::vector<uint32_t> words(300, near);
        EXPECT_FALSE(hasKeyPixel(words.data(), words.size(), kBlueKey)) << std::hex << near;
    }
    std::vector<uint32_t> transparentKey(300, 0x000000FFu);
    EXPECT_TRUE(hasKeyPixel(transparentKey.data(), transparentKey.size(), kBlueKey));
}

TEST(ColorKeyRects, NoKeyPixelsGiveOneFullRectangle) {
    EXPECT_EQ(Frame(600, 600, kWhite).rects(), (Rects{{0, 0, 600, 600}}));
}

TEST(ColorKeyRects, AllKeyGivesNothing) { EXPECT_TRUE(Frame(7, 3, kBlue).rects().empty()); }

TEST(ColorKeyRects, KeyPixelInTheMiddleSplitsItsRow) {
    Frame frame(5, 5, kWhite);
    frame.set(2, 2, kBlue);
    EXPECT_EQ(frame.rects(), (Rects{{0, 0, 5, 2}, {0, 2, 2, 1}, {3, 2, 2, 1}, {0, 3, 5, 2}}));
}

TEST(ColorKeyRects, WholeKeyRowLeavesAGapAndTheBottomRowOfTheBufferIsTheLastWindowRow) {
    Frame frame(4, 4, kWhite);
    frame.setRow(1, kBlue);
    EXPECT_EQ(frame.rects(), (Rects{{0, 0, 4, 1}, {0, 2, 4, 2}}));
    Frame last(3, 3, kWhite);
    last.setRow(2, kBlue); // window row 2 is GL row 0
    EXPECT_EQ(last.rects(), (Rects{{0, 0, 3, 2}}));
}

TEST(ColorKeyRects, KeyPixelsAtTheRowEndsAndAnyKeyColour) {
    Frame frame(6, 1, kWhite);
    frame.set(0, 0, kBlue);
    frame.set(5, 0, kBlue);
    EXPECT_EQ(frame.rects(), (Rects{{1, 0, 4, 1}}));
    Frame red(2, 1, kBlue);
    red.set(1, 0, 0xFFFF0000);
    EXPECT_EQ(red.rects(0x000000FF), (Rects{{0, 0, 1, 1}}));
}

TEST(ColorKeyRects, EmptyFrameGivesNothing) {
    Rects rects{{1, 2, 3, 4}};
    opaqueRectangles({nullptr, 10, 10}, 10, 10, kBlueKey, 0, rects);
    EXPECT_TRUE(rects.empty());
    const uint32_t pixel = kWhite;
    opaqueRectangles({&pixel, 0, 1}, 10, 10, kBlueKey, 5, rects);
    EXPECT_TRUE(rects.empty());
}

// A window manager that copies the shape onto its frame finds the frame's area inside it.
TEST(ColorKeyRects, MarginReachesPastEveryEdgeAndKeepsTheKeyOut) {
    Frame frame(4, 3, kWhite);
    frame.set(0, 0, kBlue);
    frame.set(3, 2, kBlue);
    EXPECT_EQ(frame.rects(kBlueKey, 10), (Rects{{-10, -10, 24, 10},
                                                {-10, 0, 10, 1},
                                                {1, 0, 13, 1},
                                                {-10, 1, 24, 1},
                                                {-10, 2, 13, 1},
                                                {4, 2, 10, 1},
                                                {-10, 3, 24, 10}}));
    // Nothing but key: the window's own area is empty, the margin around it stays.
    const Rects allKey = Frame(3, 2, kBlue).rects(kBlueKey, 5);
    expectYXBanded(allKey);
    const std::vector<int> inside = coverage(allKey, 0, 0, 3, 2);
    for (int c : inside) EXPECT_EQ(c, 0);
    const std::vector<int> around = coverage(allKey, -5, -5, 13, 12);
    EXPECT_EQ(std::count(around.begin(), around.end(), 1), 13 * 12 - 3 * 2);
}

// GL reads at most its largest viewport from the bottom-left corner; the rest of the window stays opaque.
TEST(ColorKeyRects, FrameSmallerThanTheWindowCoversItsBottomLeft) {
    Frame frame(2, 2, kBlue);
    frame.set(1, 0, kWhite);
    EXPECT_EQ(frame.rectsIn(5, 4), (Rects{{0, 0, 5, 2}, {1, 2, 4, 1}, {2, 3, 3, 1}}));
}

// A scattered frame: the rectangles are YXBanded and cover exactly the non-key pixels; the key
// rectangles cover exactly the key pixels.
TEST(ColorKeyRects, ScatteredKeyIsCoveredExactlyInYXBands) {
    const int width = 40;
    const int height = 30;
    for (int margin : {0, 3}) {
        Frame frame(width, height, kWhite);
        std::vector<bool> key(width * height, false);
        std::mt19937 random(7);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                // Repeat some rows so bands of several rows form.
                const bool isKey = y % 3 == 2 ? key[(y - 1) * width + x] : random() % 4 == 0;
                key[y * width + x] = isKey;
                if (isKey) frame.set(x, y, kBlue);
            }
        }
        const Rects rects = frame.rects(kBlueKey, margin);
        expectYXBanded(rects);
        const std::vector<int> covered = coverage(rects, 0, 0, width, height);
        for (int i = 0; i < width * height; ++i) ASSERT_EQ(covered[i], key[i] ? 0 : 1) << "pixel " << i;
        EXPECT_LT(rects.size(), static_cast<size_t>(width * height / 4)) << "repeated rows should share a band";

        Rects keyRects;
        keyRectangles(rects, width, height, keyRects);
        const std::vector<int> keyCovered = coverage(keyRects, 0, 0, width, height);
        for (int i = 0; i < width * height; ++i) ASSERT_EQ(keyCovered[i], key[i] ? 1 : 0) << "key pixel " << i;
    }
}

TEST(ColorKeyRects, KeyRectanglesOfWholeKeyRowsAndOfNoKey) {
    Frame frame(4, 5, kWhite);
    frame.setRow(0, kBlue);
    frame.setRow(3, kBlue);
    frame.setRow(4, kBlue);
    Rects keyRects;
    keyRectangles(frame.rects(), 4, 5, keyRects);
    EXPECT_EQ(keyRects, (Rects{{0, 0, 4, 1}, {0, 3, 4, 2}}));
    keyRectangles(Frame(4, 5, kWhite).rects(kBlueKey, 2), 4, 5, keyRects);
    EXPECT_TRUE(keyRects.empty());
}

} // namespace
