#include <gtest/gtest.h>

#include "render_context.h"

namespace {

// The usual 8-bit palette layout: 3 bits red, 3 bits green, 2 bits blue.
PIXELFORMATDESCRIPTOR rgb332() {
    PIXELFORMATDESCRIPTOR f = {};
    f.cColorBits = 8;
    f.cRedBits = 3;
    f.cRedShift = 0;
    f.cGreenBits = 3;
    f.cGreenShift = 3;
    f.cBlueBits = 2;
    f.cBlueShift = 6;
    return f;
}

TEST(Palette, SpreadsEachChannelOverTheFullRange) {
    const PIXELFORMATDESCRIPTOR f = rgb332();
    EXPECT_EQ(paletteSize(f), 256u);

    const PALETTEENTRY black = paletteEntry(0, f);
    EXPECT_EQ(black.peRed, 0);
    EXPECT_EQ(black.peGreen, 0);
    EXPECT_EQ(black.peBlue, 0);

    const PALETTEENTRY white = paletteEntry(255, f);
    EXPECT_EQ(white.peRed, 255);
    EXPECT_EQ(white.peGreen, 255);
    EXPECT_EQ(white.peBlue, 255);
    EXPECT_EQ(white.peFlags, 0);

    // Red level 5 of 7, green 2 of 7, blue 1 of 3, each truncated.
    const PALETTEENTRY mixed = paletteEntry(5 | (2 << 3) | (1 << 6), f);
    EXPECT_EQ(mixed.peRed, 182);  // 5 * 255 / 7 = 182.14
    EXPECT_EQ(mixed.peGreen, 72); // 2 * 255 / 7 = 72.86
    EXPECT_EQ(mixed.peBlue, 85);  // 1 * 255 / 3
}

TEST(Palette, ChannelWithNoBitsStaysZero) {
    PIXELFORMATDESCRIPTOR f = rgb332();
    f.cBlueBits = 0;
    for (unsigned i : {0u, 0x40u, 0xC0u, 0xFFu}) EXPECT_EQ(paletteEntry(i, f).peBlue, 0) << i;
    EXPECT_EQ(paletteEntry(0xFF, f).peRed, 255);
}

TEST(Palette, GrayscaleFromOneChannel) {
    PIXELFORMATDESCRIPTOR f = {};
    f.cColorBits = 4;
    f.cRedBits = f.cGreenBits = f.cBlueBits = 4;
    EXPECT_EQ(paletteSize(f), 16u);
    EXPECT_EQ(paletteEntry(8, f).peGreen, 136); // 8 * 255 / 15
}

TEST(Palette, FormatsTooDeepForAPaletteGetNone) {
    PIXELFORMATDESCRIPTOR f = {};
    f.cColorBits = 16; // 65536 entries do not fit the 16-bit entry count
    EXPECT_EQ(paletteSize(f), 0u);
    f.cColorBits = 15;
    EXPECT_EQ(paletteSize(f), 32768u);
}

} // namespace
