// The benchmark's measuring instruments against a real X server (a private Xvfb it starts itself):
// child processes, the damage watch's frame count, keys typed through XTest, and plain_gauge's
// behaviour as the benchmark relies on it. Skipped where Xvfb cannot be started.

// gtest before Xlib, whose None and Bool macros its templates would otherwise meet.
#include <gtest/gtest.h>

#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>

#include <thread>

#include "x_harness.h"

#ifndef PLAIN_GAUGE_EXE
#define PLAIN_GAUGE_EXE "plain_gauge"
#endif

namespace {

TEST(ChildProgram, ReportsExitStatusFailedExecAndTermination) {
    auto ok = ChildProgram::launch({"sh", "-c", "exit 3"}, "");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->waitForExit(10), 3);
    auto missing = ChildProgram::launch({"/nonexistent/program"}, "");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->waitForExit(10), 127);
    auto sleeper = ChildProgram::launch({"sleep", "30"}, "");
    ASSERT_TRUE(sleeper);
    EXPECT_TRUE(sleeper->running());
    EXPECT_FALSE(sleeper->waitForExit(0.05));
    EXPECT_EQ(sleeper->terminate(), 128 + SIGTERM);
    EXPECT_FALSE(sleeper->running());
}

TEST(ChildProgram, PassesTheDisplayAndWritesItsOutputWhereAsked) {
    const std::string path = testing::TempDir() + "child_output.txt";
    auto child = ChildProgram::launch({"sh", "-c", "echo \"$DISPLAY $EXTRA\""}, ":77", {"EXTRA=yes"}, path);
    ASSERT_TRUE(child);
    ASSERT_EQ(child->waitForExit(10), 0);
    FILE* file = std::fopen(path.c_str(), "r");
    ASSERT_TRUE(file);
    char line[64] = {};
    ASSERT_TRUE(std::fgets(line, sizeof line, file));
    std::fclose(file);
    EXPECT_STREQ(line, ":77 yes\n");
}

class OnXvfb : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        xvfb_ = PrivateXvfb::start(error);
        if (!xvfb_) GTEST_SKIP() << error;
        watch_ = DamageWatch::open(xvfb_->displayName(), error);
        ASSERT_TRUE(watch_) << error;
        client_ = XOpenDisplay(xvfb_->displayName().c_str());
        ASSERT_TRUE(client_);
    }
    void TearDown() override {
        if (client_) XCloseDisplay(client_);
    }

    // A mapped window of the test's own client, with a plain background so nothing else draws.
    Window makeWindow(Window parent, int x, int y, int size) {
        const Window window = XCreateSimpleWindow(client_, parent, x, y, size, size, 0, 0, 0);
        XMapWindow(client_, window);
        XSync(client_, False);
        return window;
    }

    std::unique_ptr<PrivateXvfb> xvfb_;
    std::unique_ptr<DamageWatch> watch_;
    Display* client_ = nullptr;
};

TEST_F(OnXvfb, CountsEachDrawingRequestOnceOnTheInnermostWindow) {
    const Window top = makeWindow(DefaultRootWindow(client_), 50, 50, 200);
    const Window surface = makeWindow(top, 0, 0, 200);
    // Cut into two pieces, as the colour key cuts a window: each fill is reported as two rectangles.
    XRectangle pieces[] = {{0, 0, 200, 80}, {0, 120, 200, 80}};
    XShapeCombineRectangles(client_, top, ShapeBounding, 0, 0, pieces, 2, ShapeSet, YXBanded);
    XSync(client_, False);
    watch_->pumpFor(0.2);
    watch_->sync();
    watch_->tally().resetCounts();
    // Whole-window images, as a software GL swap sends them (Xlib would merge repeated fills into one request).
    const GC gc = XCreateGC(client_, surface, 0, nullptr);
    XImage* image = XGetImage(client_, surface, 0, 0, 200, 200, AllPlanes, ZPixmap);
    ASSERT_TRUE(image);
    constexpr int kImages = 25;
    for (int i = 0; i < kImages; ++i) XPutImage(client_, surface, gc, image, 0, 0, 0, 0, 200, 200);
    XSync(client_, False);
    watch_->pumpFor(0.2);
    watch_->sync();
    EXPECT_EQ(watch_->tally().drawnWindow(), surface);
    EXPECT_EQ(watch_->tally().operations(surface), kImages);
    EXPECT_TRUE(watch_->tally().firstDrawn(surface));
    XDestroyImage(image);
    XFreeGC(client_, gc);
}

TEST_F(OnXvfb, TypesKeysIntoTheWindowUnderThePointer) {
    const Window other = makeWindow(DefaultRootWindow(client_), 700, 50, 100);
    const Window target = makeWindow(DefaultRootWindow(client_), 50, 50, 300);
    XSelectInput(client_, target, KeyPressMask);
    XSelectInput(client_, other, KeyPressMask);
    XSync(client_, False);
    ASSERT_TRUE(watch_->tapKeyIn(target, XK_v));
    XEvent event = {};
    for (int i = 0; i < 200 && !XCheckTypedEvent(client_, KeyPress, &event); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(event.type, KeyPress);
    EXPECT_EQ(event.xkey.window, target);
    EXPECT_EQ(XLookupKeysym(&event.xkey, 0), static_cast<KeySym>(XK_v));
}

class PlainGauge : public OnXvfb {
protected:
    // Starts plain_gauge and waits for its first frames; its window (what is drawn into) or 0.
    Window start() {
        gauge_ = ChildProgram::launch({PLAIN_GAUGE_EXE}, xvfb_->displayName());
        if (!gauge_) return 0;
        watch_->pumpUntil(Clock::now() + std::chrono::seconds(20),
                          [&] { return watch_->tally().drawnWindow() != 0 || !gauge_->running(); });
        return watch_->tally().drawnWindow();
    }
    std::unique_ptr<ChildProgram> gauge_;
};

TEST_F(PlainGauge, DrawsContinuouslyUnderItsTitleAndQuitsOnEscape) {
    const Window window = start();
    ASSERT_NE(window, 0u);
    char* title = nullptr;
    ASSERT_TRUE(XFetchName(client_, window, &title));
    EXPECT_STREQ(title, "Tessivar plain yardstick");
    XFree(title);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(client_, window, &attributes));
    EXPECT_EQ(attributes.width, 600);
    EXPECT_EQ(attributes.height, 600);

    // Vertical sync starts on and Xvfb lists no swap control: frames are paced to 60 a second.
    watch_->tally().resetCounts();
    watch_->pumpFor(1.0);
    watch_->sync();
    const int paced = watch_->tally().operations(window);
    EXPECT_GT(paced, 5); // nothing asked for them: it is redrawn continuously
    EXPECT_LE(paced, 66);

    ASSERT_TRUE(watch_->tapKeyIn(window, XK_v)); // no swap control here: it must not end the program
    watch_->pumpFor(0.3);
    EXPECT_TRUE(gauge_->running());
    watch_->tally().resetCounts();
    watch_->pumpFor(1.0);
    watch_->sync();
    EXPECT_GT(watch_->tally().operations(window), 66) << "vsync off: as fast as it draws";
    ASSERT_TRUE(watch_->tapKeyIn(window, XK_Escape));
    EXPECT_EQ(gauge_->waitForExit(10), 0);
}

TEST_F(PlainGauge, QuitsWhenItsWindowIsClosed) {
    ASSERT_NE(start(), 0u);
    watch_->requestClose();
    EXPECT_EQ(gauge_->waitForExit(10), 0);
}

} // namespace
