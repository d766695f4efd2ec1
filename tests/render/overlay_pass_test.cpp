// The overlay pass: each label's text, place and colour, compared with the label printed alone.

#include <GL/gl.h>

#include "offscreen_gl.h"
#include "render_hooks.h"
#include "scene_pass.h"

namespace {

constexpr PixelBox kFrameRateArea = {0, 560, 250, 599};
constexpr PixelBox kVertexCoordArea = {306, 278, 385, 297};

void setFill(TextLabel& label, float r, float g, float b) {
    label.fillColor[0] = r;
    label.fillColor[1] = g;
    label.fillColor[2] = b;
}

} // namespace

class OverlayPass : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        gauge->lastShowTick = processTick() + 1000000; // keep the shown rate where the test puts it
    }

    // The frame's pixels in a region equal those of the label printed alone.
    void expectText(const Frame& frame, TextLabel& label, float x, float y, const char* text, PixelBox region) {
        const Frame alone = printedAlone(label, x, y, text);
        EXPECT_GT(findPixels(alone, region, isBright).count, 20) << text;
        EXPECT_EQ(differingPixels(frame, alone, region), 0) << text;
    }
};

TEST_F(OverlayPass, FrameRateStartsAtX5CentredOnY585InCyan) {
    gauge->fps = gauge->fpsShown = 59.94f;
    const Frame frame = frameOf(*gauge);
    const LitArea text = findPixels(frame, kFrameRateArea, isPureCyan);
    EXPECT_NEAR(text.minX, 6, 1.5);
    EXPECT_NEAR(text.centreY(), 585.0, 1.5);
    EXPECT_EQ(findPixels(frame, kFrameRateArea, [](Rgb c) { return isBright(c) && !isPureCyan(c); }).count, 0);
    setFill(gauge->fpsLabel, 0.0f, 1.0f, 1.0f);
    expectText(frame, gauge->fpsLabel, 5.0f, 585.0f, "FPS : 59.94", kFrameRateArea);
}

TEST_F(OverlayPass, SweepIsPrinted200PixelsOutAlongTheArm) {
    gauge->showCoords = false;
    gauge->armPoint = {300, 450};
    gauge->basePoint = {450, 300};
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(gauge->sweep, 90.0f);
    const LitArea text = findPixels(frame, {220, 480, 380, 520}, isBright);
    EXPECT_NEAR(text.centreX(), 300.0, 1.5);
    EXPECT_NEAR(text.centreY(), 500.0, 1.5);
    expectText(frame, gauge->angleLabel, 300.0f, 500.0f, "90.0000", {220, 480, 380, 520});
}

TEST_F(OverlayPass, BaseReads0Point0165PixelsOutAndBlinksRedOnAnAxis) {
    gauge->showCoords = false;
    gauge->armPoint = {300, 450};
    gauge->basePoint = {450, 300};
    gauge->pulseLevel = 0.75f;
    const Frame frame = frameOf(*gauge);
    const PixelBox area = {453, 285, 490, 315};
    const LitArea text = findPixels(frame, area, [](Rgb c) { return c.r > 100; });
    EXPECT_NEAR(text.centreX(), 465.0, 1.5);
    EXPECT_NEAR(text.centreY(), 300.0, 1.5);
    setFill(gauge->angleLabel, 0.75f, 0.0f, 0.0f);
    expectText(frame, gauge->angleLabel, 465.0f, 300.0f, "0.0", area);
}

TEST_F(OverlayPass, BaseOffTheAxesReadsWhiteAndTheSweepFollows) {
    gauge->showCoords = false;
    gauge->armPoint = {300, 450};
    gauge->basePoint = {450, 301};
    gauge->pulseLevel = 0.75f;
    const Frame frame = frameOf(*gauge);
    EXPECT_NEAR(gauge->sweep, 89.6180f, 0.00005f);
    setFill(gauge->angleLabel, 1.0f, 1.0f, 1.0f);
    expectText(frame, gauge->angleLabel, 300.0f, 500.0f, "89.6180", {220, 480, 380, 520});
    const LitArea white = findPixels(frame, {453, 285, 490, 320}, [](Rgb c) { return c.r > 200 && c.g > 200; });
    EXPECT_GT(white.count, 20);
}

TEST_F(OverlayPass, ArmRightAndBaseUpReads270) {
    gauge->showCoords = false;
    gauge->armPoint = {450, 300};
    gauge->basePoint = {300, 450};
    gauge->pulseLevel = 1.0f;
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(gauge->sweep, 270.0f);
    expectText(frame, gauge->angleLabel, 500.0f, 300.0f, "270.0000", {455, 285, 570, 315});
    const LitArea red = findPixels(frame, {270, 455, 330, 480}, [](Rgb c) { return c.r > 200 && c.g < 60; });
    EXPECT_NEAR(red.centreX(), 300.0, 1.5);
}

TEST_F(OverlayPass, CoordinatesSitBesideEachPointInItsMarkerColour) {
    gauge->armPoint = {400, 520};
    gauge->basePoint = {200, 100};
    const Frame frame = frameOf(*gauge);
    setFill(gauge->coordLabel, 0.0f, 1.0f, 0.0f);
    expectText(frame, gauge->coordLabel, 410.0f, 510.0f, "400, 520", {405, 498, 499, 517});
    setFill(gauge->coordLabel, 1.0f, 0.0f, 0.0f);
    expectText(frame, gauge->coordLabel, 210.0f, 90.0f, "200, 100", {205, 78, 299, 97});
    setFill(gauge->coordLabel, 1.0f, 1.0f, 0.0f);
    expectText(frame, gauge->coordLabel, 310.0f, 290.0f, "300, 300", kVertexCoordArea);
}

TEST_F(OverlayPass, VertexCoordinatesArePrintedLastWhereTheArmsMeetThem) {
    const Frame frame = frameOf(*gauge);
    EXPECT_GT(findPixels(frame, kVertexCoordArea, isPureYellow).count, 20);
    EXPECT_EQ(findPixels(frame, kVertexCoordArea, isPureGreen).count, 0);
}

TEST_F(OverlayPass, CoordinatesHideWhenShowCoordsIsOff) {
    gauge->armPoint = {400, 520};
    gauge->showCoords = false;
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(findPixels(frame, kVertexCoordArea, isBright).count, 0);
    EXPECT_EQ(findPixels(frame, {405, 498, 499, 517}, isBright).count, 0);
    EXPECT_GT(findPixels(frame, kFrameRateArea, isPureCyan).count, 20);
}

TEST_F(OverlayPass, MissingFaceDrawsNoTextAtAll) {
    releaseGaugeLabels(*gauge);
    createGaugeLabelsFromFile(*gauge, "/nonexistent/face.ttf");
    gauge->armPoint = {300, 450};
    gauge->basePoint = {450, 300};
    gauge->pulseLevel = 1.0f;
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(findPixels(frame, kFrameRateArea, isBright).count, 0);
    EXPECT_EQ(findPixels(frame, {220, 480, 380, 520}, isBright).count, 0);
    EXPECT_EQ(findPixels(frame, {453, 285, 490, 315}, isBright).count, 0);
    EXPECT_EQ(findPixels(frame, kVertexCoordArea, isBright).count, 0);
    EXPECT_EQ(gauge->sweep, 90.0f);
}

TEST_F(OverlayPass, OtherLabelsStillDrawWhenOneFaceFailed) {
    gauge->fpsLabel.release();
    gauge->fpsLabel.createFromFile("/nonexistent/face.ttf", 22, AlignLeft);
    gauge->armPoint = {300, 450};
    const Frame frame = frameOf(*gauge);
    EXPECT_EQ(findPixels(frame, kFrameRateArea, isBright).count, 0);
    EXPECT_GT(findPixels(frame, {220, 480, 380, 520}, isBright).count, 20);
    EXPECT_GT(findPixels(frame, kVertexCoordArea, isPureYellow).count, 20);
}

TEST_F(OverlayPass, TicksTheFrameRateMeterOncePerFrame) {
    frameOf(*gauge);
    frameOf(*gauge);
    EXPECT_EQ(gauge->frameCount, 2u);
}

TEST_F(OverlayPass, LabelsCreatedBeforeTheContextDraw) {
    AngleGauge& early = gaugeLabelledBeforeContext();
    ASSERT_TRUE(early.fpsLabel.ready);
    onResize(early, 600.0f, 600.0f);
    early.armPoint = {300, 450};
    early.lastShowTick = processTick() + 1000000;
    const Frame frame = frameOf(early);
    EXPECT_GT(findPixels(frame, kFrameRateArea, isPureCyan).count, 20);
    EXPECT_GT(findPixels(frame, {220, 480, 380, 520}, isBright).count, 20);
    EXPECT_GT(findPixels(frame, kVertexCoordArea, isPureYellow).count, 20);
}
