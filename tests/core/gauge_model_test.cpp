#include <gtest/gtest.h>

#include <vector>

#include "angle_gauge.h"

namespace {

constexpr unsigned WM_MOUSEMOVE = 0x200;
constexpr unsigned WM_LBUTTONDOWN = 0x201;
constexpr unsigned WM_LBUTTONUP = 0x202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x203;
constexpr unsigned WM_RBUTTONDOWN = 0x204;
constexpr unsigned WM_RBUTTONUP = 0x205;

uint32_t packed(uint32_t x, uint32_t y) { return x | (y << 16); }

void expectPoint(PixelPoint p, int32_t x, int32_t y) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
}

std::vector<int> intervals;
int GAUGE_STDCALL recordInterval(int interval) {
    intervals.push_back(interval);
    return 1;
}

TEST(GaugeModel, StartsWithTheConstructionValues) {
    AngleGauge g;
    EXPECT_EQ(g.width, 600.0f);
    EXPECT_EQ(g.height, 600.0f);
    EXPECT_EQ(g.viewport.w, 600);
    EXPECT_EQ(g.viewport.h, 600);
    EXPECT_TRUE(g.showCoords);
    EXPECT_TRUE(g.vsyncOn);
    EXPECT_FALSE(g.draggingArm);
    EXPECT_EQ(g.pulseLevel.load(), 0.0f);
}

TEST(GaugeModel, ResizeCentresAllThreePointsAndSetsTheViewport) {
    AngleGauge g;
    g.armPoint = {10, 20};
    g.basePoint = {30, 40};
    onResize(g, 800.0f, 601.0f);
    expectPoint(g.vertex, 400, 300);
    expectPoint(g.armPoint, 400, 300);
    expectPoint(g.basePoint, 400, 300);
    EXPECT_EQ(g.width, 800.0f);
    EXPECT_EQ(g.height, 601.0f);
    EXPECT_EQ(g.viewport.x, 0);
    EXPECT_EQ(g.viewport.y, 0);
    EXPECT_EQ(g.viewport.w, 800);
    EXPECT_EQ(g.viewport.h, 601);
}

TEST(GaugeModel, ResizeGuardsOnlyAZeroHeight) {
    AngleGauge g;
    onResize(g, 640.0f, 0.0f);
    EXPECT_EQ(g.height, 1.0f);
    expectPoint(g.vertex, 320, 0);
    EXPECT_EQ(g.viewport.h, 1);

    onResize(g, 0.0f, 480.0f);
    EXPECT_EQ(g.width, 0.0f);
    expectPoint(g.vertex, 0, 240);
    EXPECT_EQ(g.viewport.w, 0);
}

TEST(GaugeModel, LeftClickAndDragMoveTheArmWithYFlipped) {
    AngleGauge g;
    onMouse(g, WM_LBUTTONDOWN, packed(120, 100));
    EXPECT_TRUE(g.draggingArm);
    expectPoint(g.armPoint, 120, 500);
    onMouse(g, WM_MOUSEMOVE, packed(130, 90));
    expectPoint(g.armPoint, 130, 510);
    expectPoint(g.basePoint, 0, 0);
    onMouse(g, WM_LBUTTONUP, packed(130, 90));
    EXPECT_FALSE(g.draggingArm);
    onMouse(g, WM_MOUSEMOVE, packed(200, 200));
    expectPoint(g.armPoint, 130, 510);
}

TEST(GaugeModel, TopAndBottomRowsMapToHeightAndOne) {
    AngleGauge g;
    onMouse(g, WM_RBUTTONDOWN, packed(0, 0));
    expectPoint(g.basePoint, 0, 600);
    onMouse(g, WM_RBUTTONDOWN, packed(599, 599));
    expectPoint(g.basePoint, 599, 1);
}

TEST(GaugeModel, CoordinatesAreReadUnsigned) {
    AngleGauge g;
    onMouse(g, WM_LBUTTONDOWN, packed(0xFFFF, 0xFFFF));
    expectPoint(g.armPoint, 65535, 600 - 65535);
}

TEST(GaugeModel, RightButtonDragsTheBaseAndBothCanDragAtOnce) {
    AngleGauge g;
    onMouse(g, WM_RBUTTONDOWN, packed(50, 60));
    EXPECT_TRUE(g.draggingBase);
    expectPoint(g.basePoint, 50, 540);
    onMouse(g, WM_LBUTTONDOWN, packed(70, 80));
    onMouse(g, WM_MOUSEMOVE, packed(90, 100));
    expectPoint(g.armPoint, 90, 500);
    expectPoint(g.basePoint, 90, 500);
    onMouse(g, WM_RBUTTONUP, packed(90, 100));
    EXPECT_FALSE(g.draggingBase);
    EXPECT_TRUE(g.draggingArm);
}

TEST(GaugeModel, MoveWithoutButtonAndDoubleClickChangeNothing) {
    AngleGauge g;
    onResize(g, 600.0f, 600.0f);
    onMouse(g, WM_MOUSEMOVE, packed(10, 10));
    onMouse(g, WM_LBUTTONDBLCLK, packed(10, 10));
    expectPoint(g.armPoint, 300, 300);
    expectPoint(g.basePoint, 300, 300);
    EXPECT_FALSE(g.draggingArm);
}

TEST(GaugeModel, ReleaseOutsideTheWindowKeepsTheDragGoing) {
    AngleGauge g;
    onMouse(g, WM_LBUTTONDOWN, packed(100, 100));
    // The release happened outside the client area and never arrived.
    onMouse(g, WM_MOUSEMOVE, packed(150, 250));
    EXPECT_TRUE(g.draggingArm);
    expectPoint(g.armPoint, 150, 350);
}

TEST(GaugeModel, MessagesOutsideTheMouseRangeAreIgnored) {
    AngleGauge g;
    onMouse(g, 0x1FF, packed(1, 1));
    onMouse(g, 0x206, packed(1, 1));
    EXPECT_FALSE(g.draggingArm);
    EXPECT_FALSE(g.draggingBase);
    expectPoint(g.armPoint, 0, 0);
}

TEST(GaugeModel, KeyIToggleCoordinates) {
    AngleGauge g;
    onKey(g, 'I');
    EXPECT_FALSE(g.showCoords);
    onKey(g, 'I');
    EXPECT_TRUE(g.showCoords);
    onKey(g, 'X');
    onKey(g, 'i'); // virtual keys are upper-case codes; 0x69 is VK_NUMPAD9
    EXPECT_TRUE(g.showCoords);
}

TEST(GaugeModel, KeyVSwitchesTheSwapIntervalZeroThenOne) {
    AngleGauge g;
    intervals.clear();
    swapIntervalProc = recordInterval;
    onKey(g, 'V');
    EXPECT_FALSE(g.vsyncOn);
    onKey(g, 'V');
    EXPECT_TRUE(g.vsyncOn);
    swapIntervalProc = nullptr;
    EXPECT_EQ(intervals, (std::vector<int>{0, 1}));
}

TEST(GaugeModel, KeyVWithoutSwapControlStillToggles) {
    AngleGauge g;
    swapIntervalProc = nullptr;
    onKey(g, 'V');
    EXPECT_FALSE(g.vsyncOn);
}

} // namespace
