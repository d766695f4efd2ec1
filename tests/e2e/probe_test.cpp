// Unit tests of x11probe's pure parts: the PNG encoder, pixel splitting and screen clipping.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "png_writer.h"
#include "x11_capture.h"

#include <zlib.h>

#include <string>

namespace {

std::uint32_t bigEndian32(const std::vector<std::uint8_t>& bytes, size_t at) {
    return (std::uint32_t(bytes[at]) << 24) | (std::uint32_t(bytes[at + 1]) << 16) |
           (std::uint32_t(bytes[at + 2]) << 8) | bytes[at + 3];
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
    bool crcMatches = false;
};

// Splits a PNG file after its signature into chunks, checking each CRC.
std::vector<Chunk> readChunks(const std::vector<std::uint8_t>& png) {
    std::vector<Chunk> chunks;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = bigEndian32(png, at);
        Chunk chunk;
        chunk.type.assign(png.begin() + at + 4, png.begin() + at + 8);
        chunk.data.assign(png.begin() + at + 8, png.begin() + at + 8 + length);
        const uLong crc = crc32(0L, png.data() + at + 4, length + 4);
        chunk.crcMatches = crc == bigEndian32(png, at + 8 + length);
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return chunks;
}

std::vector<std::uint8_t> inflated(const std::vector<std::uint8_t>& data, size_t expectedSize) {
    std::vector<std::uint8_t> out(expectedSize + 16);
    uLongf size = out.size();
    if (uncompress(out.data(), &size, data.data(), data.size()) != Z_OK) return {};
    out.resize(size);
    return out;
}

// A 3x2 image with a distinct value in every byte.
RgbImage sampleImage() {
    RgbImage image;
    image.width = 3;
    image.height = 2;
    for (int i = 0; i < 18; ++i) image.rgb.push_back(static_cast<std::uint8_t>(10 + i * 13));
    return image;
}

TEST(PngWriter, WritesSignatureHeaderDataAndEndWithValidChecksums) {
    const auto png = encodePng(sampleImage());
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 8),
              (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));

    const auto chunks = readChunks(png);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());
    for (const auto& chunk : chunks) EXPECT_TRUE(chunk.crcMatches) << chunk.type;

    const auto& header = chunks[0].data;
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(bigEndian32(header, 0), 3u) << "width";
    EXPECT_EQ(bigEndian32(header, 4), 2u) << "height";
    EXPECT_EQ(header[8], 8) << "bit depth";
    EXPECT_EQ(header[9], 2) << "colour type RGB";
    EXPECT_EQ(header[12], 0) << "not interlaced";
}

TEST(PngWriter, StoresEachRowUnfilteredTopRowFirst) {
    const RgbImage image = sampleImage();
    const auto chunks = readChunks(encodePng(image));
    ASSERT_EQ(chunks.size(), 3u);
    const auto rows = inflated(chunks[1].data, 2 * (1 + 9));
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0], 0);
    EXPECT_EQ(rows[10], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(rows.begin() + 1, rows.begin() + 10),
              std::vector<std::uint8_t>(image.rgb.begin(), image.rgb.begin() + 9));
    EXPECT_EQ(std::vector<std::uint8_t>(rows.begin() + 11, rows.end()),
              std::vector<std::uint8_t>(image.rgb.begin() + 9, image.rgb.end()));
}

TEST(PngWriter, RefusesImagesWhoseSizeDoesNotMatchTheirPixels) {
    RgbImage empty;
    EXPECT_TRUE(encodePng(empty).empty());
    RgbImage short_ = sampleImage();
    short_.rgb.pop_back();
    EXPECT_TRUE(encodePng(short_).empty());
    RgbImage wrongWidth = sampleImage();
    wrongWidth.width = 4;
    EXPECT_TRUE(encodePng(wrongWidth).empty());
}

TEST(PixelSplitting, ReadsEightBitChannelsByTheirMasks) {
    const PixelLayout bgrx{0xFF0000, 0x00FF00, 0x0000FF};
    EXPECT_EQ(rgbFromPixel(0x123456, bgrx), (std::array<std::uint8_t, 3>{0x12, 0x34, 0x56}));
    const PixelLayout swapped{0x0000FF, 0x00FF00, 0xFF0000};
    EXPECT_EQ(rgbFromPixel(0x123456, swapped), (std::array<std::uint8_t, 3>{0x56, 0x34, 0x12}));
}

TEST(PixelSplitting, ScalesNarrowChannelsToTheFullRange) {
    const PixelLayout rgb565{0xF800, 0x07E0, 0x001F};
    EXPECT_EQ(rgbFromPixel(0xFFFF, rgb565), (std::array<std::uint8_t, 3>{255, 255, 255}));
    EXPECT_EQ(rgbFromPixel(0xF800, rgb565), (std::array<std::uint8_t, 3>{255, 0, 0}));
    EXPECT_EQ(rgbFromPixel(0x0400, rgb565), (std::array<std::uint8_t, 3>{0, 130, 0})) << "32 of 63";
}

TEST(ScreenClipping, KeepsInsideAreasAndTrimsOverhangs) {
    const auto inside = clipToScreen({50, 50, 600, 600}, 1024, 768);
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->x, 50);
    EXPECT_EQ(inside->width, 600);
    EXPECT_EQ(inside->height, 600);

    const auto overhang = clipToScreen({-10, 700, 100, 100}, 1024, 768);
    ASSERT_TRUE(overhang);
    EXPECT_EQ(overhang->x, 0);
    EXPECT_EQ(overhang->y, 700);
    EXPECT_EQ(overhang->width, 90);
    EXPECT_EQ(overhang->height, 68);

    EXPECT_FALSE(clipToScreen({1024, 0, 10, 10}, 1024, 768));
    EXPECT_FALSE(clipToScreen({0, 0, 0, 10}, 1024, 768));
}

} // namespace
