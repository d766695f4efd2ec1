// What the icon shows, at every size, as the X11 layer gets it: a dark ring, a light lower rim,
// transparency outside and in the hole.

#include <gtest/gtest.h>

#include <cmath>

#include "resource_data.h"
#include "resource_ids.h"

namespace {

// The ring tessivar.svg draws, as fractions of the image size from the centre.
constexpr double kRingOuterRadius = 0.47;
constexpr double kRingInnerRadius = 0.29;
constexpr int kSizes[] = {256, 48, 32, 16};

int alphaOf(uint32_t p) { return static_cast<int>(p >> 24); }

double lumaOf(uint32_t p) { return 0.299 * ((p >> 16) & 0xFF) + 0.587 * ((p >> 8) & 0xFF) + 0.114 * (p & 0xFF); }

class RingIcon : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        int count = 0;
        const IconImage* images = findIconImages(IDI_TESSIVAR, &count);
        ASSERT_EQ(count, 4);
        image = images[GetParam()];
        n = image.size;
        ASSERT_EQ(n, kSizes[GetParam()]) << "images out of order";
    }

    uint32_t at(int x, int y) const { return image.argb[y * n + x]; }

    // The first pixel of the middle column, scanning from `from` in steps of `step`, that is at least half opaque.
    uint32_t firstSolidInColumn(int from, int step) const {
        for (int y = from; y >= 0 && y < n; y += step)
            if (alphaOf(at(n / 2, y)) >= 128) return at(n / 2, y);
        ADD_FAILURE() << "no solid pixel in the middle column";
        return 0;
    }

    IconImage image{};
    int n = 0;
};

TEST_P(RingIcon, CornersAndHoleAreFullyTransparent) {
    EXPECT_EQ(at(0, 0), 0u);
    EXPECT_EQ(at(n - 1, 0), 0u);
    EXPECT_EQ(at(0, n - 1), 0u);
    EXPECT_EQ(at(n - 1, n - 1), 0u);
    EXPECT_EQ(at(n / 2, n / 2), 0u);
    EXPECT_EQ(at(n / 2 - 1, n / 2 - 1), 0u);
}

TEST_P(RingIcon, RingIsDarkOnTopAndAtTheSides) {
    const int ringMiddle = static_cast<int>(n * (0.5 - (kRingOuterRadius + kRingInnerRadius) / 2));
    for (uint32_t p : {at(n / 2, ringMiddle), at(ringMiddle, n / 2), at(n - 1 - ringMiddle, n / 2)}) {
        EXPECT_EQ(alphaOf(p), 255);
        EXPECT_LT(lumaOf(p), 70.0);
    }
    EXPECT_LT(lumaOf(firstSolidInColumn(0, 1)), 70.0) << "the upper rim is lit";
}

TEST_P(RingIcon, LowerRimIsLight) {
    const uint32_t top = firstSolidInColumn(0, 1);
    const uint32_t bottom = firstSolidInColumn(n - 1, -1);
    EXPECT_GT(lumaOf(bottom), 150.0);
    EXPECT_GT(lumaOf(bottom), lumaOf(top) + 80.0);
}

TEST_P(RingIcon, CoverageMatchesTheRingAreaWithSoftEdges) {
    double coverage = 0.0;
    int partial = 0;
    for (uint32_t p : std::vector<uint32_t>(image.argb, image.argb + n * n)) {
        coverage += alphaOf(p) / 255.0;
        if (alphaOf(p) > 0 && alphaOf(p) < 255) ++partial;
        if (alphaOf(p) == 0) {
            EXPECT_EQ(p, 0u) << "transparent pixel with colour";
        }
    }
    const double ringArea = M_PI * (kRingOuterRadius * kRingOuterRadius - kRingInnerRadius * kRingInnerRadius);
    EXPECT_NEAR(coverage / (n * n), ringArea, 0.02);
    EXPECT_GT(partial, n) << "edges are not antialiased";
}

std::string sizeName(const ::testing::TestParamInfo<int>& info) { return "Size" + std::to_string(kSizes[info.param]); }

INSTANTIATE_TEST_SUITE_P(EverySize, RingIcon, ::testing::Values(0, 1, 2, 3), sizeName);

} // namespace
