// The scene pass: rays, arc, markers and the indicator as they appear in the frame.

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "angle_geometry.h"
#include "offscreen_gl.h"
#include "render_hooks.h"
#include "scene_pass.h"

namespace {

// The 4 x 4 square a marker at (x, y) covers.
PixelBox markerAt(int x, int y) { return {x - 2, y - 2, x + 1, y + 1}; }

// A small box about the point of the arc of radius 100 about (300, 300) at a degree.
PixelBox arcPointAt(double degrees) {
    const int x = static_cast<int>(std::lround(300.0 + 100.0 * std::cos(degrees * kPi / 180.0)));
    const int y = static_cast<int>(std::lround(300.0 + 100.0 * std::sin(degrees * kPi / 180.0)));
    return {x - 2, y - 2, x + 2, y + 2};
}

bool arcShowsAt(const Frame& frame, double degrees) {
    return findPixels(frame, arcPointAt(degrees), isWhite).count > 0;
}

} // namespace

// The scene without text: labels released, so only the scene pass draws.
class ScenePass : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        releaseGaugeLabels(*gauge);
    }
    void pointArm(int x, int y) { gauge->armPoint = {x, y}; }
    void pointBase(int x, int y) { gauge->basePoint = {x, y}; }
};

TEST_F(ScenePass, AfterResizeBothRaysPointRightWithRedOnTopAndNoArc) {
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(gauge->armAngle, 0.0f);
    EXPECT_EQ(gauge->baseAngle, 0.0f);
    const LitArea red = findPixels(frame, {303, 290, 460, 310}, isPureRed);
    EXPECT_EQ(red.minX, 303);
    EXPECT_NEAR(red.maxX, 449, 1);
    EXPECT_GE(red.minY, 298);
    EXPECT_LE(red.maxY, 301);
    EXPECT_EQ(findPixels(frame, {303, 290, 460, 310}, isWhite).count, 0);
    EXPECT_EQ(findPixels(frame, {0, 0, 499, 499}, isWhite).count, 0);
}

TEST_F(ScenePass, VertexMarkerIsYellowOnTopOfTheOtherMarkers) {
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(findPixels(frame, markerAt(300, 300), isPureYellow).count, 16);
    EXPECT_EQ(findPixels(frame, {296, 296, 303, 303}, isPureYellow).count, 16);
}

TEST_F(ScenePass, MarkersSitOnTheirPointsInTheirColours) {
    pointArm(300, 520);
    pointBase(90, 300);
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(findPixels(frame, markerAt(300, 520), isPureGreen).count, 16);
    EXPECT_EQ(findPixels(frame, markerAt(90, 300), isPureRed).count, 16);
    EXPECT_EQ(findPixels(frame, markerAt(300, 300), isPureYellow).count, 16);
}

TEST_F(ScenePass, RaysAre150PixelsLongWhateverTheDistanceOfThePoints) {
    pointArm(300, 590);
    pointBase(10, 300);
    const Frame frame = frameOf(*gauge);
    const LitArea arm = findPixels(frame, {295, 303, 305, 580}, isWhite);
    EXPECT_NEAR(arm.maxY, 449, 1);
    const LitArea base = findPixels(frame, {20, 295, 297, 305}, isPureRed);
    EXPECT_NEAR(base.minX, 150, 1);
    EXPECT_EQ(gauge->armAngle, 90.0f);
    EXPECT_EQ(gauge->baseAngle, 180.0f);
}

TEST_F(ScenePass, ArmAt90AndBaseAt0DrawTheQuarterArc) {
    pointArm(300, 450);
    pointBase(450, 300);
    const Frame frame = frameOf(*gauge);
    for (const double degrees : {3.0, 45.0, 87.0}) EXPECT_TRUE(arcShowsAt(frame, degrees)) << degrees;
    for (const double degrees : {135.0, 180.0, 225.0, 270.0, 315.0})
        EXPECT_FALSE(arcShowsAt(frame, degrees)) << degrees;
}

TEST_F(ScenePass, ArmAt0AndBaseAt90DrawTheThreeQuarterArc) {
    pointArm(450, 300);
    pointBase(300, 450);
    const Frame frame = frameOf(*gauge);
    for (const double degrees : {93.0, 135.0, 180.0, 225.0, 270.0, 315.0, 357.0})
        EXPECT_TRUE(arcShowsAt(frame, degrees)) << degrees;
    EXPECT_FALSE(arcShowsAt(frame, 45.0));
}

// Rows along the vertical arm between the vertex and the arc, split into lit and dark.
struct ArmRows {
    int lit = 0;
    int dark = 0;
    int brightest = 0;
};
ArmRows armRows(const Frame& frame) {
    ArmRows rows;
    for (int y = 305; y <= 392; ++y) {
        int rowBrightest = 0;
        for (int x = 297; x <= 303; ++x) rowBrightest = std::max(rowBrightest, frame.at(x, y).g);
        if (rowBrightest > 20)
            ++rows.lit;
        else
            ++rows.dark;
        rows.brightest = std::max(rows.brightest, rowBrightest);
    }
    return rows;
}

TEST_F(ScenePass, DraggedArmIsDashedInThePulseGrey) {
    pointArm(300, 450);
    pointBase(450, 300);
    gauge->draggingArm = true;
    gauge->pulseLevel = 0.5f;
    const ArmRows half = armRows(frameOf(*gauge));
    EXPECT_GT(half.lit, 30);
    EXPECT_GT(half.dark, 30);
    EXPECT_NEAR(half.brightest, 128, 3);

    gauge->pulseLevel = 0.25f;
    EXPECT_NEAR(armRows(frameOf(*gauge)).brightest, 64, 3);
}

TEST_F(ScenePass, DashesFollowTheStipplePattern) {
    pointArm(300, 450);
    pointBase(450, 300);
    gauge->draggingArm = true;
    gauge->pulseLevel = 1.0f;
    const Frame frame = frameOf(*gauge);
    // 0x6666 at factor 5: dashes and gaps of 10 pixels each along the line (the
    // smoothed line ends widen each dash by about one pixel).
    std::vector<int> runs;
    bool previousLit = false;
    for (int y = 303; y <= 395; ++y) {
        const bool lit = frame.at(300, y).g > 20 || frame.at(299, y).g > 20;
        if (runs.empty() || lit != previousLit) runs.push_back(0);
        ++runs.back();
        previousLit = lit;
    }
    ASSERT_GE(runs.size(), 8u);
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
        EXPECT_GE(runs[i], 8) << "run " << i;
        EXPECT_LE(runs[i], 12) << "run " << i;
    }
}

TEST_F(ScenePass, ReleasedArmIsSolidWhite) {
    pointArm(300, 450);
    pointBase(450, 300);
    gauge->pulseLevel = 0.5f;
    const ArmRows rows = armRows(frameOf(*gauge));
    EXPECT_EQ(rows.dark, 0);
    EXPECT_EQ(rows.brightest, 255);
}

TEST_F(ScenePass, IndicatorStandsUprightWithRedAtTheTopForSweep0) {
    const Frame frame = frameOf(*gauge);
    EXPECT_TRUE(isPureRed(frame.at(550, 571)));
    EXPECT_TRUE(isPureBlue(frame.at(550, 529)));
    EXPECT_TRUE(isDark(frame.at(565, 550)));
    EXPECT_TRUE(isDark(frame.at(535, 550)));
    EXPECT_FALSE(isDark(frame.at(560, 550)));
}

TEST_F(ScenePass, IndicatorTurnsOneFrameLateAfterTheSweepChanges) {
    pointArm(300, 450);
    pointBase(450, 300);
    const Frame first = frameOf(*gauge);
    EXPECT_TRUE(isPureRed(first.at(550, 571)));
    EXPECT_EQ(gauge->sweep, 90.0f);

    const Frame second = frameOf(*gauge);
    EXPECT_TRUE(isPureRed(second.at(529, 550)));
    EXPECT_TRUE(isPureBlue(second.at(571, 550)));
    EXPECT_TRUE(isDark(second.at(550, 571)));
}

TEST_F(ScenePass, IndicatorIsShadedSmoothlyAlongItsLength) {
    const Frame frame = frameOf(*gauge);
    const Rgb middle = frame.at(550, 550);
    EXPECT_NEAR(middle.r, 128, 8);
    EXPECT_NEAR(middle.b, 128, 8);
    EXPECT_LT(frame.at(550, 560).b, middle.b);
}

TEST_F(ScenePass, SmallerViewportScalesNothingAndMovesTheIndicatorIn) {
    onResize(*gauge, 300.0f, 300.0f);
    const Frame frame = frameOf(*gauge);
    const LitArea red = findPixels(frame, {153, 140, 320, 160}, isPureRed);
    EXPECT_NEAR(red.maxX, 299, 1);
    EXPECT_EQ(findPixels(frame, markerAt(150, 150), isPureYellow).count, 16);
    EXPECT_TRUE(isPureRed(frame.at(250, 271)));
    EXPECT_EQ(findPixels(frame, {300, 0, kFrameSize - 1, kFrameSize - 1}, isBright).count, 0);
}

TEST_F(ScenePass, SwapsOnceOnTheGaugesDeviceContextAndRestoresTheMatrices) {
    HDC dc = reinterpret_cast<HDC>(0x5a5a);
    gauge->hdc = dc;
    const int swapsBefore = swapCount;
    frameOf(*gauge);
    EXPECT_EQ(swapCount, swapsBefore + 1);
    EXPECT_EQ(lastSwapDc, dc);

    GLint mode = 0;
    GLint projectionDepth = 0;
    GLint modelviewDepth = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(projectionDepth, 1);
    EXPECT_EQ(modelviewDepth, 1);
    EXPECT_EQ(glIsEnabled(GL_LINE_SMOOTH), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_LINE_STIPPLE), GL_FALSE);
}

TEST(Arc, HasOneVertexPerWholeDegreeAfterTheStart) {
    // Captured with feedback mode: drawArc(10, 13) emits the points at 11, 12 and 13 degrees.
    GLfloat feedback[64];
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kFrameSize, 0, kFrameSize, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, kFrameSize, kFrameSize);
    glFeedbackBuffer(64, GL_2D, feedback);
    glRenderMode(GL_FEEDBACK);
    drawArc(10, 13, 100.0f, 300, 300);
    const GLint values = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A strip of three vertices gives two line tokens of two points each.
    ASSERT_EQ(values, 10);
    const int degrees[] = {11, 12, 12, 13};
    const int offsets[] = {1, 3, 6, 8};
    for (int i = 0; i < 4; ++i) {
        const double rad = degrees[i] * kPi / 180.0;
        EXPECT_NEAR(feedback[offsets[i]], 300.0 + 100.0 * std::cos(rad), 1e-3) << degrees[i];
        EXPECT_NEAR(feedback[offsets[i] + 1], 300.0 + 100.0 * std::sin(rad), 1e-3) << degrees[i];
    }
}
