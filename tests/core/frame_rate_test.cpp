#include <gtest/gtest.h>

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
