#include <gtest/gtest.h>

#include <cmath>

#include "angle_gauge.h"

namespace {

float stepTimes(AngleGauge& g, int n) {
    for (int i = 0; i < n; ++i) pulseStep(g);
    return g.pulseLevel.load();
}

TEST(Pulse, RisesByExactFloatSteps) {
    AngleGauge g;
    EXPECT_EQ(stepTimes(g, 1), 0.03f);
    EXPECT_EQ(stepTimes(g, 1), 0.06f);
    const float third = stepTimes(g, 1);
    EXPECT_EQ(third, 0.089999996f);
    EXPECT_EQ(third, std::nextafter(0.09f, 0.0f));
    EXPECT_FALSE(g.pulseFalling);
}

TEST(Pulse, TurnsAbove1OnStep34) {
    AngleGauge g;
    EXPECT_EQ(stepTimes(g, 33), 0.989999533f);
    EXPECT_FALSE(g.pulseFalling);
    EXPECT_EQ(stepTimes(g, 1), 1.0199995f);
    EXPECT_TRUE(g.pulseFalling);
    // 0.9899995 to seven digits; the same float as step 33.
    EXPECT_EQ(stepTimes(g, 1), 0.989999533f);
}

TEST(Pulse, DipsJustBelowZeroAndRepeatsEvery68Steps) {
    AngleGauge g;
    const float bottom = stepTimes(g, 68);
    EXPECT_LT(bottom, 0.0f);
    EXPECT_GT(bottom, -0.0000001f);
    EXPECT_FALSE(g.pulseFalling);
    // The previous step was still at or above zero: the turn happens only below it.
    AngleGauge h;
    EXPECT_GE(stepTimes(h, 67), 0.0f);
    EXPECT_TRUE(h.pulseFalling);

    const float rising = stepTimes(g, 1);
    EXPECT_GT(rising, 0.029f);
    EXPECT_LT(rising, 0.031f);
}

} // namespace
