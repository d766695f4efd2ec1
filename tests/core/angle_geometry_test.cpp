#include <gtest/gtest.h>

#include <cmath>

#include "angle_geometry.h"

namespace {

const PixelPoint kCentre = {300, 300};

TEST(RayAngle, QuadrantDirections) {
    EXPECT_EQ(rayAngle(kCentre, {400, 300}), 0.0f);
    EXPECT_EQ(rayAngle(kCentre, {300, 400}), 90.0f);
    EXPECT_EQ(rayAngle(kCentre, {200, 300}), 180.0f);
    EXPECT_EQ(rayAngle(kCentre, {300, 200}), 270.0f);
    EXPECT_EQ(rayAngle(kCentre, kCentre), 0.0f);
}

TEST(RayAngle, BelowTheVertexAddsAFullTurn) {
    const float a = rayAngle(kCentre, {301, 299});
    EXPECT_NEAR(a, 315.0f, 1e-4);
    // The correction is rounded to float after the degree conversion, not before.
    const float r = static_cast<float>(std::atan2(-1.0, 1.0));
    const float deg = static_cast<float>(static_cast<double>(r) * 180.0 / 3.1415927410125732);
    EXPECT_EQ(a, static_cast<float>(static_cast<double>(deg) + 360.0));
}

TEST(RayAngle, UsesTheSinglePrecisionPi) {
    // Near 180 the two values of pi give different floats.
    EXPECT_EQ(rayAngle({0, 0}, {-299, 1}), 179.808365f);
    EXPECT_NE(rayAngle({0, 0}, {-299, 1}), 179.80838f);
}

TEST(RayAngle, NeverReaches360InTheWindow) {
    // The smallest clockwise step below +x within 16-bit coordinates.
    const float a = rayAngle({0, 1}, {65535, 0});
    EXPECT_LT(a, 360.0f);
    EXPECT_GT(a, 359.99f);
}

TEST(RayOffset, PointsAlongTheRay) {
    const RayOffset right = rayOffset(0.0f, 150.0);
    EXPECT_EQ(right.dx, 150.0f);
    EXPECT_EQ(right.dy, 0.0f);
    const RayOffset up = rayOffset(90.0f, 200.0);
    EXPECT_NEAR(up.dx, 0.0f, 1e-4);
    EXPECT_EQ(up.dy, 200.0f);
    const RayOffset down = rayOffset(270.0f, 165.0);
    EXPECT_NEAR(down.dx, 0.0f, 1e-4);
    EXPECT_EQ(down.dy, -165.0f);
}

TEST(RayOffset, RoundsEachStepToFloat) {
    const float rad = static_cast<float>(30.0 * 3.1415927410125732 / 180.0);
    const float c = static_cast<float>(std::cos(static_cast<double>(rad)));
    const float s = static_cast<float>(std::sin(static_cast<double>(rad)));
    const RayOffset o = rayOffset(30.0f, 150.0);
    EXPECT_EQ(o.dx, static_cast<float>(static_cast<double>(c) * 150.0));
    EXPECT_EQ(o.dy, static_cast<float>(static_cast<double>(s) * 150.0));
}

TEST(Sweep, CounterClockwiseFromBaseToArm) {
    EXPECT_NEAR(sweepAngle(30.7f, 10.2f), 20.5f, 1e-4);
    EXPECT_NEAR(sweepAngle(10.2f, 30.7f), 339.5f, 1e-4);
    EXPECT_NEAR(sweepAngle(10.8f, 10.2f), 0.6f, 1e-4);
    EXPECT_EQ(sweepAngle(90.0f, 0.0f), 90.0f);
    EXPECT_EQ(sweepAngle(0.0f, 90.0f), 270.0f);
    EXPECT_EQ(sweepAngle(42.0f, 42.0f), 0.0f);
}

TEST(Sweep, ATinyNegativeDifferenceRoundsToExactly360) {
    const float base = std::nextafter(100.0f, 200.0f);
    EXPECT_EQ(base, 100.0000076f);
    EXPECT_EQ(sweepAngle(100.0f, base), 360.0f);
    const ArcSpan span = arcSpan(100.0f, base);
    EXPECT_TRUE(span.present);
    EXPECT_EQ(span.start + 1, 101);
    EXPECT_EQ(span.end, 460);
}

TEST(ArcSpan, WholeDegreesBetweenTheRays) {
    ArcSpan s = arcSpan(30.7f, 10.2f);
    EXPECT_TRUE(s.present);
    EXPECT_EQ(s.start, 10);
    EXPECT_EQ(s.end, 30);

    s = arcSpan(10.2f, 30.7f);
    EXPECT_EQ(s.start, 30);
    EXPECT_EQ(s.end, 370);

    s = arcSpan(10.8f, 10.2f);
    EXPECT_EQ(s.start, 10);
    EXPECT_EQ(s.end, 10); // no vertex: start + 1 > end

    EXPECT_FALSE(arcSpan(55.5f, 55.5f).present);
}

TEST(ArcSpan, WrappedEndTruncatesTheExactSum) {
    // Just below a whole degree, arm + 360 rounded to float first would round up to 370.
    const float arm = std::nextafter(10.0f, 0.0f);
    const ArcSpan s = arcSpan(arm, 20.0f);
    EXPECT_EQ(s.end, 369);
    EXPECT_EQ(static_cast<int32_t>(static_cast<float>(static_cast<double>(arm) + 360.0)), 370);
}

TEST(AxisAligned, ExactAxesOnly) {
    for (float a : {0.0f, 90.0f, 180.0f, 270.0f}) EXPECT_TRUE(isAxisAligned(a)) << a;
    for (float a : {90.00001f, 45.0f, 360.0f, 269.99998f}) EXPECT_FALSE(isAxisAligned(a)) << a;
}

} // namespace
