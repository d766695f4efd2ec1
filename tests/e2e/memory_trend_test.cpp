// The soak test's judge of memory samples.

#include <gtest/gtest.h>

#include <vector>

#include "memory_trend.h"

namespace {

constexpr long kThreshold = 16384; // as the soak test judges

// n samples starting at base, each step kilobytes above the one before.
std::vector<long> ramp(size_t n, long base, long step) {
    std::vector<long> samples;
    for (size_t i = 0; i < n; ++i) samples.push_back(base + static_cast<long>(i) * step);
    return samples;
}

TEST(MemoryTrend, SegmentMediansTakeTheRemainderFirst) {
    const MemoryTrend trend = judgeMemoryTrend({1, 2, 3, 10, 20, 30, 100, 200, 1000, 2000}, 4, kThreshold);
    EXPECT_EQ(trend.medians, (std::vector<long>{2, 20, 200, 2000}));
    EXPECT_EQ(trend.rise, 1998);
}

// What the program does: one or two rises of the heap's high-water mark, and samples that swing.
TEST(MemoryTrend, StepsAndSwingsThatSettleAreNoGrowth) {
    std::vector<long> oneStep(30, 80000);
    for (size_t i = 12; i < oneStep.size(); ++i) oneStep[i] += 1028;
    EXPECT_FALSE(judgeMemoryTrend(oneStep, 4, kThreshold).growing);

    std::vector<long> bigStep(30, 80000);
    for (size_t i = 5; i < bigStep.size(); ++i) bigStep[i] += 30000;
    EXPECT_FALSE(judgeMemoryTrend(bigStep, 4, kThreshold).growing) << "a step that stays is no leak";

    std::vector<long> swinging = ramp(30, 80000, 0);
    for (size_t i = 0; i < swinging.size(); i += 3) swinging[i] += 20000; // a resize caught mid-way
    EXPECT_FALSE(judgeMemoryTrend(swinging, 4, kThreshold).growing);

    // Three steps of the heap in three segments, as seen once in a clean soak: rising, but not far.
    std::vector<long> threeSteps(36, 105544);
    for (size_t i = 9; i < threeSteps.size(); ++i) threeSteps[i] += 3544;
    for (size_t i = 18; i < threeSteps.size(); ++i) threeSteps[i] += 2056;
    for (size_t i = 27; i < threeSteps.size(); ++i) threeSteps[i] += 1028;
    EXPECT_FALSE(judgeMemoryTrend(threeSteps, 4, kThreshold).growing);
    EXPECT_FALSE(judgeMemoryTrend(ramp(30, 80000, 400), 4, kThreshold).growing) << "under the threshold";
}

TEST(MemoryTrend, SteadyGrowthIsCaughtThroughNoise) {
    // One 600 x 600 RGBA buffer a round.
    EXPECT_TRUE(judgeMemoryTrend(ramp(24, 80000, 1406), 4, kThreshold).growing);
    std::vector<long> noisy = ramp(24, 80000, 1406);
    for (size_t i = 0; i < noisy.size(); i += 4) noisy[i] += 5000;
    EXPECT_TRUE(judgeMemoryTrend(noisy, 4, kThreshold).growing);
}

TEST(MemoryTrend, TooFewSamplesJudgeNothing) {
    const MemoryTrend trend = judgeMemoryTrend({1, 100000}, 4, kThreshold);
    EXPECT_TRUE(trend.medians.empty());
    EXPECT_FALSE(trend.growing);
}

} // namespace
