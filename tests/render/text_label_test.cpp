// Text labels: layout, formatting, face loading, and what one print puts on screen.

#include <GL/gl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "offscreen_gl.h"
#include "render_hooks.h"
#include "text_label.h"

namespace {

// The ink of a label printed alone near (x, y).
LitArea inkNear(TextLabel& label, float x, float y, const char* text) {
    const Frame frame = printedAlone(label, x, y, text);
    const int cx = static_cast<int>(x);
    const int cy = static_cast<int>(y);
    return findPixels(frame, {std::max(cx - 150, 0), cy - 40, std::min(cx + 150, kFrameSize - 1), cy + 40}, isBright);
}

constexpr char kSystemFace[] = "c:/windows/Fonts/arial.ttf";

// A working directory of the test's own holding an empty "c:/windows/Fonts", where the system face's
// relative path leads; the old working directory is back when it goes.
class FontsFolderDirectory {
public:
    explicit FontsFolderDirectory(const char* name)
        : here_(std::filesystem::current_path()), scratch_(std::filesystem::temp_directory_path() / name) {
        std::filesystem::remove_all(scratch_);
        std::filesystem::create_directories(scratch_ / "c:/windows/Fonts");
        std::filesystem::current_path(scratch_);
    }
    ~FontsFolderDirectory() {
        std::filesystem::current_path(here_);
        std::filesystem::remove_all(scratch_);
    }

private:
    std::filesystem::path here_;
    std::filesystem::path scratch_;
};

} // namespace

TEST(LabelOrigin, CentreMovesHalfTheWidthLeftAndHalfTheHeightDown) {
    const LabelOrigin origin = labelOrigin(AlignCenter, 300.0f, 300.0f, 40.0f, 10.0f);
    EXPECT_TRUE(origin.translate);
    EXPECT_EQ(origin.x, 280.0f);
    EXPECT_EQ(origin.y, 295.0f);
}

TEST(LabelOrigin, LeftStartsAtTheAnchorAndRightEndsThere) {
    const LabelOrigin left = labelOrigin(AlignLeft, 300.0f, 300.0f, 40.0f, 10.0f);
    EXPECT_EQ(left.x, 300.0f);
    EXPECT_EQ(left.y, 295.0f);
    const LabelOrigin right = labelOrigin(AlignRight, 300.0f, 300.0f, 40.0f, 10.0f);
    EXPECT_EQ(right.x, 260.0f);
    EXPECT_EQ(right.y, 295.0f);
}

TEST(LabelOrigin, UnknownAlignmentDoesNotTranslate) {
    EXPECT_FALSE(labelOrigin(3, 300.0f, 300.0f, 40.0f, 10.0f).translate);
    EXPECT_FALSE(labelOrigin(-1, 300.0f, 300.0f, 40.0f, 10.0f).translate);
}

TEST(LabelFace, MissingFileLeavesTheLabelNotReadyAndOwningItsFont) {
    TextLabel label;
    label.createFromFile("/nonexistent/face.ttf", 15, AlignCenter);
    EXPECT_FALSE(label.ready);
    EXPECT_NE(label.fillFont, nullptr);
    EXPECT_EQ(label.outlineFont, nullptr);
    EXPECT_EQ(label.align, AlignLeft);
    label.release();
    EXPECT_EQ(label.fillFont, nullptr);
}

TEST(LabelFace, FileThatIsNoFaceLeavesTheLabelNotReady) {
    const std::string path = (std::filesystem::temp_directory_path() / "tessivar_not_a_face.ttf").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("this is not a TrueType face\n", file);
    std::fclose(file);
    TextLabel label;
    label.createFromFile(path.c_str(), 15, AlignCenter);
    EXPECT_FALSE(label.ready);
    label.release();
    std::filesystem::remove(path);
}

// A FIFO, a directory or a device under a face's name would make FreeType's open wait for ever (a FIFO
// without a writer) or fail late; only regular files are opened. The child gives up after 5 s.
TEST(LabelFace, PathsThatAreNoRegularFileLeaveTheLabelSilentAtOnce) {
    const std::string fifo = (std::filesystem::temp_directory_path() / "tessivar_face_fifo.ttf").string();
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::filesystem::temp_directory_path().string(), std::string("/dev/zero")}) {
        EXPECT_EXIT(
            {
                alarm(5);
                TextLabel label;
                label.createFromFile(path.c_str(), 15, AlignCenter);
                _exit(!label.ready && !label.fillFont ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << path;
    }
    std::filesystem::remove(fifo);
}

// Where the system path names no regular file, the platform's face is used instead.
TEST(LabelFace, SystemPathThatIsNoRegularFileFallsBackToThePlatformFace) {
    if (std::filesystem::exists(kSystemFace)) GTEST_SKIP() << "the system face exists here";
    const FontsFolderDirectory directory("tessivar_face_cwd");
    ASSERT_EQ(mkfifo(kSystemFace, 0600), 0);
    EXPECT_EXIT(
        {
            alarm(5);
            testFallbackFace = kTestFace;
            TextLabel label;
            label.create(15, AlignCenter);
            _exit(label.ready ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A system path that names a file too large to be a face is not read: the platform's face is used.
TEST(LabelFace, SystemFaceTooLargeToReadFallsBackToThePlatformFace) {
    if (std::filesystem::exists(kSystemFace)) GTEST_SKIP() << "the system face exists here";
    TextLabel label;
    {
        const FontsFolderDirectory directory("tessivar_face_large_cwd");
        std::ofstream(kSystemFace).close();
        std::filesystem::resize_file(kSystemFace, kMaxFaceFileBytes + 1); // sparse
        testFallbackFace = kTestFace;
        label.create(15, AlignCenter);
    }
    EXPECT_TRUE(label.ready);
    EXPECT_EQ(label.face->size(), std::filesystem::file_size(kTestFace));
    label.release();
}

TEST(LabelFace, LoadedFaceTakesSizeAlignmentAndClearsTheStyle) {
    TextLabel label;
    label.style = 7;
    label.createFromFile(kTestFace, 22, AlignRight);
    EXPECT_TRUE(label.ready);
    EXPECT_EQ(label.faceSize, 22);
    EXPECT_EQ(label.align, AlignRight);
    EXPECT_EQ(label.style, 0u);
    label.release();
    EXPECT_EQ(label.fillFont, nullptr);
    EXPECT_EQ(label.outlineFont, nullptr);
    EXPECT_FALSE(label.ready);
}

TEST(LabelFace, CreateUsesThePlatformFaceWhereTheSystemFaceIsMissing) {
    if (std::filesystem::exists("c:/windows/Fonts/arial.ttf")) GTEST_SKIP() << "the system face exists here";
    TextLabel found;
    found.create(15, AlignCenter);
    EXPECT_TRUE(found.ready);
    found.release();

    testFallbackFace = "/nonexistent/face.ttf";
    TextLabel missing;
    missing.create(15, AlignCenter);
    EXPECT_FALSE(missing.ready);
    missing.release();

    testFallbackFace = nullptr;
    TextLabel none;
    none.create(15, AlignCenter);
    EXPECT_FALSE(none.ready);
    EXPECT_EQ(none.fillFont, nullptr);
    testFallbackFace = kTestFace;
}

class LabelPixels : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        label.createFromFile(kTestFace, 15, AlignCenter);
        ASSERT_TRUE(label.ready);
    }
    void TearDown() override {
        label.release();
        RenderTest::TearDown();
    }
    TextLabel label;
};

TEST_F(LabelPixels, CentredTextIsCentredOnTheAnchor) {
    const LitArea ink = inkNear(label, 300.0f, 300.0f, "90.0000");
    ASSERT_GT(ink.count, 50);
    EXPECT_NEAR(ink.centreX(), 300.0, 1.5);
    EXPECT_NEAR(ink.centreY(), 300.0, 1.5);
}

TEST_F(LabelPixels, LeftTextStartsAtTheAnchorAndRightTextEndsThere) {
    label.align = AlignLeft;
    const LitArea left = inkNear(label, 200.0f, 300.0f, "90.0000");
    EXPECT_NEAR(left.minX, 201, 2);
    EXPECT_NEAR(left.centreY(), 300.0, 1.5);
    label.align = AlignRight;
    const LitArea right = inkNear(label, 400.0f, 300.0f, "90.0000");
    EXPECT_NEAR(right.maxX, 399, 2);
    EXPECT_NEAR(right.centreY(), 300.0, 1.5);
}

TEST_F(LabelPixels, UnknownAlignmentDrawsAtTheCurrentOrigin) {
    label.align = 5;
    const Frame frame = printedAlone(label, 300.0f, 300.0f, "90.0000");
    const LitArea atOrigin = findPixels(frame, {0, 0, 100, 30}, isBright);
    EXPECT_GT(atOrigin.count, 50);
    EXPECT_LE(atOrigin.minX, 2);
    EXPECT_EQ(findPixels(frame, {200, 250, 400, 350}, isBright).count, 0);
}

TEST_F(LabelPixels, TextTakesTheFillColour) {
    label.fillColor[0] = 0.0f;
    label.fillColor[1] = 1.0f;
    label.fillColor[2] = 1.0f;
    const Frame frame = printedAlone(label, 300.0f, 300.0f, "88");
    const LitArea cyan =
        findPixels(frame, {250, 280, 350, 320}, [](Rgb c) { return c.r == 0 && c.g == 255 && c.b == 255; });
    const LitArea other = findPixels(frame, {250, 280, 350, 320}, [](Rgb c) { return c.r > 0; });
    EXPECT_GT(cyan.count, 30);
    EXPECT_EQ(other.count, 0);
}

TEST_F(LabelPixels, LongTextIsCutTo99Characters) {
    // Full stops keep 99 characters on screen; the 100th would land right of the 99th.
    const std::string dots(150, '.');
    const Frame full = printedAlone(gauge->coordLabel, 5.0f, 300.0f, dots.c_str());
    const Frame cut = printedAlone(gauge->coordLabel, 5.0f, 300.0f, dots.substr(0, 99).c_str());
    const Frame shorter = printedAlone(gauge->coordLabel, 5.0f, 300.0f, dots.substr(0, 98).c_str());
    const PixelBox row = {0, 280, kFrameSize - 1, 320};
    ASSERT_LT(findPixels(cut, row, isBright).maxX, kFrameSize - 20) << "99 dots must fit the frame";
    EXPECT_EQ(differingPixels(full, cut, row), 0);
    EXPECT_GT(differingPixels(cut, shorter, row), 0);
}

TEST_F(LabelPixels, LabelWithoutFaceDrawsNothing) {
    TextLabel silent;
    silent.createFromFile("/nonexistent/face.ttf", 15, AlignCenter);
    const Frame frame = printedAlone(silent, 300.0f, 300.0f, "90.0000");
    EXPECT_EQ(findPixels(frame, {0, 0, kFrameSize - 1, kFrameSize - 1}, isBright).count, 0);
    silent.release();
}

TEST_F(LabelPixels, LeavesBlendingOffDepthTestAsItWasAndTheMatrixUnchanged) {
    for (const bool depthBefore : {true, false}) {
        if (depthBefore)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(3.0f, 4.0f, 0.0f);
        label.print(300.0f, 300.0f, "%.4f", 12.5);
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), depthBefore ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
        GLint source = 0;
        GLint destination = 0;
        glGetIntegerv(GL_BLEND_SRC, &source);
        glGetIntegerv(GL_BLEND_DST, &destination);
        EXPECT_EQ(source, GL_SRC_ALPHA);
        EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
        GLfloat matrix[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
        EXPECT_EQ(matrix[12], 3.0f);
        EXPECT_EQ(matrix[13], 4.0f);
    }
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
}

TEST_F(LabelPixels, BoxLiesBehindTheTextAndFollowsTheFillAlpha) {
    const LitArea ink = inkNear(label, 300.0f, 300.0f, "90.0000");
    const int boxX = ink.minX - 1; // inside the box's 2-pixel margin, left of the ink
    const int boxY = ink.minY - 3; // inside its 5-pixel margin below the baseline
    EXPECT_TRUE(isDark(printedAlone(label, 300.0f, 300.0f, "90.0000").at(boxX, boxY)));

    label.drawBox = true;
    const Frame opaque = printedAlone(label, 300.0f, 300.0f, "90.0000");
    EXPECT_NEAR(opaque.at(boxX, boxY).r, 36, 2); // 0.2 grey at 0.7 alpha over black
    EXPECT_TRUE(isDark(opaque.at(ink.minX - 5, ink.minY - 7)));
    EXPECT_EQ(findPixels(opaque, {ink.minX, ink.minY, ink.maxX, ink.maxY}, isBright).count, ink.count);

    label.fillColor[3] = 0.5f;
    EXPECT_NEAR(printedAlone(label, 300.0f, 300.0f, "90.0000").at(boxX, boxY).r, 18, 2);
}

TEST_F(LabelPixels, TextFirstKeepsTheBoxOffTheTextByDepth) {
    label.drawBox = true;
    label.textFirst = true;
    const Frame frame = printedAlone(label, 300.0f, 300.0f, "90.0000");
    const LitArea white = findPixels(frame, {200, 270, 400, 330}, [](Rgb c) { return c.r == 255 && c.g == 255; });
    const LitArea box = findPixels(frame, {200, 270, 400, 330}, [](Rgb c) { return c.r > 30 && c.r < 42; });
    EXPECT_GT(white.count, 50);
    EXPECT_GT(box.count, 200);
}

TEST_F(LabelPixels, OutlineStyleDrawsTheOutlineColourOverTheFill) {
    label.outlineColor[0] = 1.0f;
    const LitArea plain = findPixels(printedAlone(label, 300.0f, 300.0f, "88"), {250, 280, 350, 320}, isRedOrPink);
    label.style = StyleOutline;
    const LitArea outlined = findPixels(printedAlone(label, 300.0f, 300.0f, "88"), {250, 280, 350, 320}, isRedOrPink);
    EXPECT_EQ(plain.count, 0);
    EXPECT_GT(outlined.count, 20);
}
