// Lookups of the Linux layer's resource data, the PNG decoder behind the icon, and the manifest.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "icon_pngs.h"
#include "resource_data.h"
#include "resource_ids.h"
#include "test_files.h"

namespace {

TEST(ResourceLookup, UnknownIdsGiveNothing) {
    int count = 5;
    EXPECT_EQ(findAcceleratorTable(IDI_TESSIVAR, &count), nullptr);
    EXPECT_EQ(count, 0);
    count = 5;
    EXPECT_EQ(findAcceleratorTable(IDR_ACCELERATORS + 1, &count), nullptr);
    EXPECT_EQ(count, 0);
    count = 7;
    EXPECT_EQ(findIconImages(IDR_ACCELERATORS, &count), nullptr);
    EXPECT_EQ(count, 0);
    count = 7;
    EXPECT_EQ(findIconImages(0, &count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST(ResourceLookup, IconGroupIsDecodedOnceAndKept) {
    int first = 0, second = 0;
    const IconImage* images = findIconImages(IDI_TESSIVAR, &first);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(findIconImages(IDI_TESSIVAR, &second), images) << "handles must stay valid";
    EXPECT_EQ(first, second);
    EXPECT_EQ(findIconImages(IDI_TESSIVAR, nullptr), images) << "the count is optional";
}

std::vector<uint8_t> renderedPng(int size) {
    return readBytes(std::string(TESSIVAR_ICON_PNG_DIR) + "/tessivar-" + std::to_string(size) + ".png");
}

TEST(IconPngDecoder, DecodesTheRenderedPngsToTheirSize) {
    for (int size : {256, 16}) {
        const std::vector<uint8_t> png = renderedPng(size);
        ASSERT_FALSE(png.empty());
        EXPECT_EQ(decodeIconPng({size, png.data(), png.size()}).size(), static_cast<size_t>(size * size));
    }
}

TEST(IconPngDecoder, RejectsDamagedOrMislabelledImages) {
    const std::vector<uint8_t> png = renderedPng(48);
    ASSERT_GT(png.size(), 100u);
    EXPECT_TRUE(decodeIconPng({48, png.data(), png.size() / 2}).empty()) << "truncated";
    EXPECT_TRUE(decodeIconPng({48, png.data(), 20}).empty()) << "cut inside the header";
    EXPECT_TRUE(decodeIconPng({48, png.data(), 0}).empty());
    EXPECT_TRUE(decodeIconPng({32, png.data(), png.size()}).empty()) << "a 48 image where 32 is expected";

    std::vector<uint8_t> damaged = png;
    for (size_t i = 60; i < damaged.size(); i += 7) damaged[i] ^= 0x5A; // the compressed pixels
    EXPECT_TRUE(decodeIconPng({48, damaged.data(), damaged.size()}).empty());

    std::vector<uint8_t> notPng = png;
    notPng[1] = 'Q';
    EXPECT_TRUE(decodeIconPng({48, notPng.data(), notPng.size()}).empty());
}

std::string manifestText() {
    std::ifstream in(TESSIVAR_MANIFEST_FILE);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Manifest, AsksForTheCallersRightsAndNothingElse) {
    const std::string manifest = manifestText();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    for (const char* absent : {"dpiAware", "dpiAwareness", "supportedOS", "dependency", "compatibility"})
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
}

} // namespace
