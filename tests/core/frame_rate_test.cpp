#include <gtest/gtest.h>

#include <cstdint>

#include "angle_gauge.h"

namespace {

// A clock the test moves by hand; counts how often the meter reads it.
int32_t fakeNow = 0;
int reads = 0;
int32_t fakeTick() {
    ++reads;
    return fakeNow;
}

void frames(AngleGauge& g, int n) {
    for (int i = 0; i < n; ++i) tickFrameRate(g, fakeTick);
}

class FrameRate : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 0;
        reads = 0;
    }
    AngleGauge g;
};

TEST_F(FrameRate, MeasuresEvery70Frames) {
    fakeNow = 1000;
    frames(g, 69);
    EXPECT_EQ(g.fps, 0.0f);
    EXPECT_EQ(g.frameCount, 69u);
    frames(g, 1);
    EXPECT_EQ(g.fps, 70.0f);
    EXPECT_EQ(g.frameCount, 0u);
    EXPECT_EQ(g.lastMeasureTick, 1000);

    fakeNow = 1875;
    frames(g, 69);
    EXPECT_EQ(g.fps, 70.0f);
    frames(g, 1);
    EXPECT_EQ(g.fps, 80.0f);
}

TEST_F(FrameRate, ZeroElapsedKeepsThePreviousRate) {
    fakeNow = 1000;
    frames(g, 70);
    frames(g, 70); // the clock did not move
    EXPECT_EQ(g.fps, 70.0f);
    EXPECT_EQ(g.frameCount, 0u);
}

TEST_F(FrameRate, ShowsStrictlyAfter500Ticks) {
    fakeNow = 500;
    frames(g, 1);
    EXPECT_EQ(g.lastShowTick, 0);
    fakeNow = 501;
    frames(g, 1);
    EXPECT_EQ(g.lastShowTick, 501);
    EXPECT_EQ(g.fpsShown, 0.0f); // nothing measured yet

    fakeNow = 1000;
    frames(g, 68); // frame 70: measured 70 frames in 1000 ticks, 499 after the last show
    EXPECT_EQ(g.fps, 70.0f);
    EXPECT_EQ(g.fpsShown, 0.0f);
    fakeNow = 1002;
    frames(g, 1);
    EXPECT_EQ(g.fpsShown, 70.0f);
    EXPECT_EQ(g.lastShowTick, 1002);
}

// After 24.8 days the tick passes 2^31 and turns negative; spans across that point are still short.
TEST_F(FrameRate, MeasuresAndShowsAcrossTheTickWrap) {
    g.lastMeasureTick = INT32_MAX - 499;
    g.lastShowTick = INT32_MAX - 100;
    fakeNow = INT32_MAX;
    frames(g, 69);
    EXPECT_EQ(g.fpsShown, 0.0f) << "100 ticks since the last refresh";
    fakeNow = INT32_MIN + 500; // 1000 ticks after the last measurement
    frames(g, 1);
    EXPECT_EQ(g.fps, 70.0f);
    EXPECT_EQ(g.lastMeasureTick, INT32_MIN + 500);
    EXPECT_EQ(g.fpsShown, 70.0f) << "601 ticks since the last refresh";
    EXPECT_EQ(g.lastShowTick, INT32_MIN + 500);

    fakeNow = INT32_MIN + 1000; // exactly 500 after the refresh: not yet
    g.fpsShown = 0.0f;
    frames(g, 1);
    EXPECT_EQ(g.fpsShown, 0.0f);
}

TEST_F(FrameRate, ReadsTheClockAfreshForEachUse) {
    fakeNow = 10;
    frames(g, 1);
    EXPECT_EQ(reads, 1); // only the show check
    frames(g, 68);
    reads = 0;
    fakeNow = 700;
    frames(g, 1); // measurement (2 reads), show check and its timestamp (2 reads)
    EXPECT_EQ(reads, 4);
}

TEST(ProcessTick, CountsUpFromProcessStart) {
    const int32_t a = processTick();
    EXPECT_GE(a, 0);
    EXPECT_LT(a, 60 * 1000);
    EXPECT_GE(processTick(), a);
}

} // namespace
