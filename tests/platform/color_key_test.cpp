// The colour key as shape rectangles, from made-up frames laid out as glReadPixels returns them.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "color_key_runs.h"

namespace {

constexpr COLORREF kBlueKey = 0x00FF0000; // the program's key: red 0, green 0, blue 255

struct Rgba {
    unsigned char r, g, b, a;
};
constexpr Rgba kBlue = {0, 0, 255, 255};
constexpr Rgba kWhite = {255, 255, 255, 255};

// An RGBA frame addressed in window coordinates (y down) but stored bottom-up, as GL reads it.
class Frame {
public:
    Frame(int width, int height, Rgba fill) : width_(width), height_(height), bytes_(width * height * 4) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) set(x, y, fill);
    }
    void set(int x, int y, Rgba c) {
        unsigned char* p = &bytes_[((height_ - 1 - y) * width_ + x) * 4];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        p[3] = c.a;
    }
    void setRow(int y, Rgba c) {
        for (int x = 0; x < width_; ++x) set(x, y, c);
    }
    std::vector<MaskRect> rects(COLORREF key = kBlueKey) const {
        return opaqueRectangles(bytes_.data(), width_, height_, key);
    }

private:
    int width_;
    int height_;
    std::vector<unsigned char> bytes_;
};

using Rects = std::vector<MaskRect>;

TEST(ColorKeyRects, NoKeyPixelsGiveOneFullRectangle) {
    EXPECT_EQ(Frame(600, 600, kWhite).rects(), (Rects{{0, 0, 600, 600}}));
}

TEST(ColorKeyRects, AllKeyGivesNothing) { EXPECT_TRUE(Frame(7, 3, kBlue).rects().empty()); }

TEST(ColorKeyRects, KeyPixelInTheMiddleSplitsItsRow) {
    Frame frame(5, 5, kWhite);
    frame.set(2, 2, kBlue);
    EXPECT_EQ(frame.rects(), (Rects{{0, 0, 5, 2}, {0, 2, 2, 1}, {3, 2, 2, 1}, {0, 3, 5, 2}}));
}

TEST(ColorKeyRects, WholeKeyRowLeavesAGap) {
    Frame frame(4, 4, kWhite);
    frame.setRow(1, kBlue);
    EXPECT_EQ(frame.rects(), (Rects{{0, 0, 4, 1}, {0, 2, 4, 2}}));
}

TEST(ColorKeyRects, BottomRowOfTheBufferIsTheLastWindowRow) {
    Frame frame(3, 3, kWhite);
    frame.setRow(2, kBlue); // window row 2 is GL row 0
    EXPECT_EQ(frame.rects(), (Rects{{0, 0, 3, 2}}));
}

TEST(ColorKeyRects, KeyPixelsAtTheRowEnds) {
    Frame frame(6, 1, kWhite);
    frame.set(0, 0, kBlue);
    frame.set(5, 0, kBlue);
    EXPECT_EQ(frame.rects(), (Rects{{1, 0, 4, 1}}));
}

TEST(ColorKeyRects, OnlyTheExactColourIsKey) {
    Frame frame(3, 1, kBlue);
    frame.set(0, 0, {0, 0, 254, 255});
    frame.set(1, 0, {1, 0, 255, 255});
    frame.set(2, 0, {0, 0, 255, 0}); // alpha does not matter
    EXPECT_EQ(frame.rects(), (Rects{{0, 0, 2, 1}}));
}

TEST(ColorKeyRects, KeyIsReadAsCOLORREF) {
    Frame frame(2, 1, kBlue);
    frame.set(1, 0, {255, 0, 0, 255});
    const COLORREF red = 0x000000FF;
    EXPECT_EQ(frame.rects(red), (Rects{{0, 0, 1, 1}}));
}

TEST(ColorKeyRects, EmptyFrameGivesNothing) {
    EXPECT_TRUE(opaqueRectangles(nullptr, 10, 10, kBlueKey).empty());
    unsigned char pixel[4] = {255, 255, 255, 255};
    EXPECT_TRUE(opaqueRectangles(pixel, 0, 1, kBlueKey).empty());
}

// A scattered frame: the rectangles are YXBanded and cover exactly the non-key pixels.
TEST(ColorKeyRects, ScatteredKeyIsCoveredExactlyInYXBands) {
    const int width = 40;
    const int height = 30;
    Frame frame(width, height, kWhite);
    std::vector<bool> key(width * height, false);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        // Repeat some rows so bands of several rows form.
        if (y % 3 == 2) {
            for (int x = 0; x < width; ++x) {
                key[y * width + x] = key[(y - 1) * width + x];
                if (key[y * width + x]) frame.set(x, y, kBlue);
            }
            continue;
        }
        for (int x = 0; x < width; ++x) {
            if (random() % 4 == 0) {
                key[y * width + x] = true;
                frame.set(x, y, kBlue);
            }
        }
    }
    const Rects rects = frame.rects();
    std::vector<int> covered(width * height, 0);
    for (size_t i = 0; i < rects.size(); ++i) {
        const MaskRect& r = rects[i];
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x) ++covered[y * width + x];
        if (i == 0) continue;
        const MaskRect& p = rects[i - 1];
        const bool sameBand = p.y == r.y;
        if (sameBand) {
            EXPECT_EQ(p.height, r.height) << "rectangle " << i;
            EXPECT_LT(p.x + p.width, r.x) << "rectangle " << i << " must start after a gap";
        } else {
            EXPECT_GE(r.y, p.y + p.height) << "band of rectangle " << i << " overlaps the one above";
        }
    }
    for (int i = 0; i < width * height; ++i) EXPECT_EQ(covered[i], key[i] ? 0 : 1) << "pixel " << i;
    EXPECT_LT(rects.size(), static_cast<size_t>(width * height / 4)) << "repeated rows should share a band";
}

} // namespace
