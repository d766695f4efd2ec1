// Property values the window manager and compositor read.

#include "property_values.h"

#include <gtest/gtest.h>

TEST(Opacity, TheProgramsAlphaGivesThe150Of255Cardinal) { EXPECT_EQ(opacityCardinal(150), 0x96969696u); }

TEST(Opacity, EveryAlphaIsExactAndIncreasing) {
    // alpha/255 of 0xFFFFFFFF is alpha times 0x01010101 with no rounding; a 32-bit product would overflow.
    for (unsigned alpha = 0; alpha <= 255; ++alpha) {
        EXPECT_EQ(opacityCardinal(static_cast<BYTE>(alpha)), alpha * 0x01010101u) << alpha;
    }
}

TEST(IconProperty, EachImageIsWidthHeightThenPixelsTopRowFirst) {
    const uint32_t big[] = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
    const uint32_t small[] = {0x80FFFFFF};
    const IconImage images[] = {{2, big}, {1, small}};
    const std::vector<unsigned long> expected = {2,          2, 0xFF000001, 0xFF000002, 0xFF000003,
                                                 0xFF000004, 1, 1,          0x80FFFFFF};
    EXPECT_EQ(netWmIconData(images, 2), expected);
}

TEST(IconProperty, PixelsAreNotSignExtendedIntoTheLong) {
    const uint32_t pixel[] = {0xFFFF0000};
    const IconImage image = {1, pixel};
    const std::vector<unsigned long> data = netWmIconData(&image, 1);
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[2], 0xFFFF0000ul);
}

TEST(WindowName, AsciiIsUnchangedAndHighBytesBecomeTwoByteSequences) {
    EXPECT_EQ(latin1ToUtf8("Tessivar - tessivar.example.org"), "Tessivar - tessivar.example.org");
    EXPECT_EQ(latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(latin1ToUtf8("\x80\xFF"), "\xC2\x80\xC3\xBF");
    EXPECT_EQ(latin1ToUtf8(""), "");
}
