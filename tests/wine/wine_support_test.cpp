// The Wine tests' own helpers, without Wine: private prefixes made from a stand-in for the cached one, and the
// comparison of client-area captures.
#include <gtest/gtest.h>

#include "client_area_diff.h"
#include "gauge_scene.h"
#include "wine_program.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A stand-in for scripts/wine-prefix.sh's prefix with the parts a private prefix is made of.
class PrivatePrefix : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessivar-prefix-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        scratch = made;
        base = scratch / "base";
        fs::create_directories(base / "dosdevices");
        fs::create_directories(base / "drive_c/windows/system32");
        fs::create_directories(base / "drive_c/windows/Fonts");
        fs::create_directories(base / "drive_c/users/me");
        for (const char* file : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"})
            std::ofstream(base / file) << file;
        std::ofstream(base / "drive_c/windows/system32/kernel32.dll") << "dll";
        std::ofstream(base / "drive_c/windows/Fonts/arial.ttf") << "face";
        std::ofstream(base / "drive_c/windows/Fonts/other.ttf") << "other face";
        fs::create_symlink("../drive_c", base / "dosdevices/c:");
        fs::create_symlink("/", base / "dosdevices/z:");
        fs::create_symlink("../../windows", base / "drive_c/users/me/windows-link");
    }
    void TearDown() override { fs::remove_all(scratch); }

    fs::path scratch;
    fs::path base;
};

TEST_F(PrivatePrefix, SharesTheFilesOfDriveCAndOwnsItsRegistry) {
    const fs::path mine = scratch / "mine";
    ASSERT_TRUE(makePrivatePrefix(base.string(), mine.string(), true));

    EXPECT_TRUE(fs::is_symlink(mine / "drive_c/windows/system32/kernel32.dll"));
    EXPECT_EQ(fs::read_symlink(mine / "drive_c/windows/system32/kernel32.dll"),
              base / "drive_c/windows/system32/kernel32.dll");
    EXPECT_FALSE(fs::is_symlink(mine / "drive_c/windows/system32")) << "directories are its own";
    EXPECT_EQ(readText(faceFileOf(mine.string())), "face");
    EXPECT_EQ(fs::read_symlink(mine / "drive_c/users/me/windows-link"), "../../windows") << "links copied as links";

    // C: is this prefix's own drive_c, not the cached one's.
    EXPECT_EQ(fs::read_symlink(mine / "dosdevices/c:"), "../drive_c");
    EXPECT_EQ(fs::canonical(mine / "dosdevices/c:"), fs::canonical(mine / "drive_c"));

    // Wine rewrites the registry: a write to the private copy leaves the cached prefix as it was.
    EXPECT_FALSE(fs::is_symlink(mine / "system.reg"));
    std::ofstream(mine / "system.reg") << "changed";
    EXPECT_EQ(readText(base / "system.reg"), "system.reg");
}

TEST_F(PrivatePrefix, WithoutTheFaceLeavesOutArialAloneAndTheCachedPrefixKeepsIt) {
    const fs::path mine = scratch / "mine";
    ASSERT_TRUE(makePrivatePrefix(base.string(), mine.string(), false));
    EXPECT_FALSE(fs::exists(faceFileOf(mine.string())));
    EXPECT_TRUE(fs::exists(mine / "drive_c/windows/Fonts/other.ttf"));
    EXPECT_TRUE(fs::exists(faceFileOf(base.string())));
}

TEST_F(PrivatePrefix, FailsWithoutACompleteCachedPrefix) {
    fs::remove(base / "user.reg");
    EXPECT_FALSE(makePrivatePrefix(base.string(), (scratch / "a").string(), true)) << "a registry file missing";
    EXPECT_FALSE(makePrivatePrefix((scratch / "nowhere").string(), (scratch / "b").string(), true));
}

RgbImage blackArea() {
    RgbImage image;
    image.width = image.height = gauge::side;
    image.rgb.assign(static_cast<size_t>(gauge::side) * gauge::side * 3, 0);
    return image;
}

// Sets the pixel at GL (x, y), where the captures' rows run top to bottom.
void set(RgbImage& image, int x, int y, Rgb c) {
    std::uint8_t* p = &image.rgb[(static_cast<size_t>(gauge::side - 1 - y) * gauge::side + x) * 3];
    p[0] = static_cast<std::uint8_t>(c.r);
    p[1] = static_cast<std::uint8_t>(c.g);
    p[2] = static_cast<std::uint8_t>(c.b);
}

TEST(ClientAreaDiff, CountsEveryDifferingPixelWithItsGlPositionAndMarksIt) {
    RgbImage ours = blackArea();
    RgbImage wine = blackArea();
    EXPECT_EQ(compareClientAreas(ours, wine).differing, 0);

    set(wine, 10, 20, {255, 255, 254});
    set(ours, 599, 0, {0, 0, 1});
    const ClientAreaDiff diff = compareClientAreas(ours, wine);
    EXPECT_EQ(diff.differing, 2);
    EXPECT_NE(diff.examples.find("(10, 20): ours 0,0,0, Wine's 255,255,254"), std::string::npos) << diff.examples;
    EXPECT_NE(diff.examples.find("(599, 0)"), std::string::npos) << diff.examples;
    const std::uint8_t* marked = diff.picture.pixel(10, gauge::side - 1 - 20);
    EXPECT_EQ((Rgb{marked[0], marked[1], marked[2]}).r, 255);
    EXPECT_EQ(marked[1], 0);
    EXPECT_EQ(marked[2], 255);
}

TEST(ClientAreaDiff, LeavesOutTheFrameRateAndWinesColourKeyPixels) {
    RgbImage ours = blackArea();
    RgbImage wine = blackArea();
    set(wine, 0, gauge::side - 1, {0, 255, 255});
    set(wine, frameRateAreaWidth - 1, gauge::side - frameRateAreaDepth, {0, 255, 255});
    set(wine, 550, 530, {0, 0, 255});
    const ClientAreaDiff diff = compareClientAreas(ours, wine);
    EXPECT_EQ(diff.differing, 0);
    EXPECT_EQ(diff.keyed, 1);
    EXPECT_EQ(diff.keyedShownByOurs, 0);

    set(wine, frameRateAreaWidth, gauge::side - 1, {0, 255, 255});
    set(wine, 0, gauge::side - frameRateAreaDepth - 1, {0, 255, 255});
    set(wine, 550, 531, {0, 0, 254});
    EXPECT_EQ(compareClientAreas(ours, wine).differing, 3) << "beside and below the frame rate, blue but not the key";
}

TEST(ClientAreaDiff, AreasOfDifferentSizesDifferEverywhere) {
    RgbImage wine = blackArea();
    wine.width = gauge::side - 1;
    wine.rgb.resize(static_cast<size_t>(wine.width) * wine.height * 3);
    const ClientAreaDiff diff = compareClientAreas(blackArea(), wine);
    EXPECT_EQ(diff.differing, gauge::side * gauge::side);
    EXPECT_NE(diff.examples.find("sizes differ: ours 600 x 600, Wine's 599 x 600"), std::string::npos);
}

TEST(ClientAreaDiff, TellsWhereOurColourKeyLeftThePixelInTheWindow) {
    RgbImage ours = blackArea();
    RgbImage wine = blackArea();
    set(wine, 550, 530, {0, 0, 255});
    set(ours, 550, 530, {0, 0, 255});
    set(wine, 551, 530, {0, 0, 255});
    const ClientAreaDiff diff = compareClientAreas(ours, wine);
    EXPECT_EQ(diff.keyed, 2);
    EXPECT_EQ(diff.keyedShownByOurs, 1);
}

} // namespace
