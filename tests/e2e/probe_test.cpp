// Unit tests of x11probe's pure parts: PNG files read back with libpng, pixel splitting and screen clipping.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "png_writer.h"
#include "x11_capture.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

// A PNG file as libpng reads it back: the pixel format it was stored in, and its pixels as 8-bit RGB.
struct Decoded {
    png_uint_32 format = 0;
    RgbImage image;
};

std::optional<Decoded> readPngFile(const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return std::nullopt;
    Decoded decoded;
    decoded.format = png.format;
    png.format = PNG_FORMAT_RGB;
    decoded.image.width = static_cast<int>(png.width);
    decoded.image.height = static_cast<int>(png.height);
    decoded.image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, decoded.image.rgb.data(), 0, nullptr)) return std::nullopt;
    return decoded;
}

// A width x height image with a distinct value in nearly every byte.
RgbImage sampleImage(int width = 3, int height = 2) {
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height * 3; ++i) image.rgb.push_back(static_cast<std::uint8_t>(10 + i * 13));
    return image;
}

class PngWriter : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/x11probe-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    std::string pathOf(const char* name) const { return (directory / name).string(); }

    std::filesystem::path directory;
};

TEST_F(PngWriter, WritesEightBitRgbThatReadsBackAsTheSamePixels) {
    // 3 x 2 is the smallest with distinct rows and columns; 601 x 7 rows are not a multiple of 4 bytes long.
    for (const RgbImage& image : {sampleImage(), sampleImage(601, 7)}) {
        ASSERT_TRUE(writePngFile(image, pathOf("sample.png")));
        const auto decoded = readPngFile(pathOf("sample.png"));
        ASSERT_TRUE(decoded) << "libpng cannot read it";
        EXPECT_EQ(decoded->format, static_cast<png_uint_32>(PNG_FORMAT_RGB)) << "colour, no alpha, 8 bits";
        EXPECT_EQ(decoded->image.width, image.width);
        EXPECT_EQ(decoded->image.height, image.height);
        EXPECT_EQ(decoded->image.rgb, image.rgb) << "pixels, top row first";
    }
}

TEST_F(PngWriter, RefusesMalformedImagesAndUnwritablePathsLeavingNoFile) {
    RgbImage empty;
    RgbImage short_ = sampleImage();
    short_.rgb.pop_back();
    RgbImage wrongWidth = sampleImage();
    wrongWidth.width = 4;
    for (const RgbImage& image : {empty, short_, wrongWidth}) {
        EXPECT_FALSE(writePngFile(image, pathOf("broken.png"))) << image.width << " x " << image.height;
        EXPECT_FALSE(std::filesystem::exists(pathOf("broken.png")));
    }
    EXPECT_FALSE(writePngFile(sampleImage(), pathOf("missing/sample.png")));
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
