#pragma once
// An offscreen 600 x 600 GL context for the whole test program, a fixture with a fresh
// gauge on it, and read-back helpers.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "angle_gauge.h"
#include "gauge_setup.h"
#include "pixel_box.h"

constexpr int kFrameSize = 600;

// One read-back of the colour buffer, origin bottom-left like the scene.
struct Frame {
    std::vector<uint8_t> rgba;
    Rgb at(int x, int y) const;
};
Frame readFrame();

// A gauge whose labels were created before the GL context existed, as in the program.
AngleGauge& gaugeLabelledBeforeContext();

// A fresh 600 x 600 gauge after its first resize, with labels on the test face, and the
// fixed GL state the program sets when it makes its context.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Renders one frame and reads it back.
    Frame frameOf(AngleGauge& g);

    std::unique_ptr<AngleGauge> gauge = std::make_unique<AngleGauge>();
};

// One label's text printed alone at (x, y) on a cleared frame, under the overlay's projection.
Frame printedAlone(TextLabel& label, float x, float y, const char* text);

// Pixels inside the box that differ between two frames.
int differingPixels(const Frame& a, const Frame& b, const PixelBox& box);
