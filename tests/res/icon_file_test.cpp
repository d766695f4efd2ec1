// The packed ICO file: directory, the PNG-compressed 256 image and the three DIB images, checked against
// the rendered PNGs and against the pixels the X11 layer decodes from them.

#include <gtest/gtest.h>

#include <string>

#include "resource_data.h"
#include "resource_ids.h"
#include "test_files.h"

namespace {

struct IconEntry {
    int size;
    uint32_t bitCount;
    uint32_t bytes;
    uint32_t offset;
};

class IconFile : public ::testing::Test {
protected:
    void SetUp() override {
        ico = readBytes(TESSIVAR_ICON_FILE);
        ASSERT_GE(ico.size(), 6u + 4 * 16);
        images = findIconImages(IDI_TESSIVAR, &imageCount);
        ASSERT_NE(images, nullptr);
        ASSERT_EQ(imageCount, 4);
    }

    IconEntry entry(int i) const {
        const size_t at = 6 + 16 * i;
        const int width = ico[at] == 0 ? 256 : ico[at];
        return {width, le16(ico, at + 6), le32(ico, at + 8), le32(ico, at + 12)};
    }

    std::vector<uint8_t> imageBytes(int i) const {
        const IconEntry e = entry(i);
        return {ico.begin() + e.offset, ico.begin() + e.offset + e.bytes};
    }

    std::vector<uint8_t> ico;
    const IconImage* images = nullptr;
    int imageCount = 0;
};

TEST_F(IconFile, DirectoryListsFourImagesLargestFirstPackedBackToBack) {
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u); // icon, not cursor
    EXPECT_EQ(le16(ico, 4), 4u);
    const int sizes[] = {256, 48, 32, 16};
    uint32_t expectedOffset = 6 + 4 * 16;
    for (int i = 0; i < 4; ++i) {
        const IconEntry e = entry(i);
        EXPECT_EQ(e.size, sizes[i]);
        EXPECT_EQ(ico[6 + 16 * i + 1], ico[6 + 16 * i]) << "height byte differs from width";
        EXPECT_EQ(le16(ico, 6 + 16 * i + 4), 1u); // planes
        EXPECT_EQ(e.bitCount, 32u);
        EXPECT_EQ(e.offset, expectedOffset);
        expectedOffset += e.bytes;
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

TEST_F(IconFile, LargestImageIsTheRenderedPngVerbatim) {
    const std::vector<uint8_t> png = imageBytes(0);
    EXPECT_EQ(png, readBytes(std::string(TESSIVAR_ICON_PNG_DIR) + "/tessivar-256.png"));

    const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                            0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    ASSERT_GE(png.size(), 33u);
    ASSERT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    EXPECT_EQ(be32(png, 16), 256u);
    EXPECT_EQ(be32(png, 20), 256u);
    EXPECT_EQ(png[24], 8); // bits per channel
    EXPECT_EQ(png[25], 6); // RGBA
    EXPECT_EQ(png[28], 0); // not interlaced
    // Worth compressing at all: most of the image is transparent.
    EXPECT_LT(png.size(), 256u * 256 * 4 / 4);
}

// icotool decodes the PNGs on its own, so this also cross-checks the X11 layer's decoding.
TEST_F(IconFile, SmallImagesAreBottomUpDibsWithAndMasks) {
    for (int i = 1; i < 4; ++i) {
        const int n = images[i].size;
        SCOPED_TRACE(n);
        ASSERT_EQ(entry(i).size, n);
        const std::vector<uint8_t> dib = imageBytes(i);
        const size_t maskRow = (n + 31) / 32 * 4;
        ASSERT_EQ(dib.size(), 40 + n * n * 4 + maskRow * n);
        EXPECT_EQ(le32(dib, 0), 40u);
        EXPECT_EQ(le32(dib, 4), static_cast<uint32_t>(n));
        EXPECT_EQ(le32(dib, 8), static_cast<uint32_t>(2 * n));
        EXPECT_EQ(le16(dib, 12), 1u);
        EXPECT_EQ(le16(dib, 14), 32u);
        EXPECT_EQ(le32(dib, 16), 0u); // BI_RGB

        int pixelMismatches = 0;
        int maskMismatches = 0;
        for (int y = 0; y < n; ++y) {
            const int fileRow = n - 1 - y;
            for (int x = 0; x < n; ++x) {
                const uint32_t argb = images[i].argb[y * n + x];
                if (le32(dib, 40 + 4 * (fileRow * n + x)) != argb) ++pixelMismatches;
                const uint8_t maskByte = dib[40 + n * n * 4 + fileRow * maskRow + x / 8];
                const bool masked = maskByte & (0x80 >> (x % 8));
                if (masked != ((argb >> 24) < 128)) ++maskMismatches;
            }
        }
        EXPECT_EQ(pixelMismatches, 0);
        EXPECT_EQ(maskMismatches, 0);
    }
}

} // namespace
