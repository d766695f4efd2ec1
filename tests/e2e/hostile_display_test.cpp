// The program against what other clients on its display can do to it: forged events, a window resized
// far beyond what GL can draw, its window destroyed, the server gone.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "child_process.h"
#include "x11_windows.h"
#include "x_session.h"
#include "xvfb_server.h"

#include <X11/keysym.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace {

const std::string gaugeTitle = "Tessivar - tessivar.example.org";

class HostileDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = XvfbServer::start();
        ASSERT_TRUE(server_) << "Xvfb did not start";
        x_ = XSession::open(server_->displayName());
        ASSERT_TRUE(x_);
        LaunchOptions options;
        options.argv = {TESSIVAR_BINARY};
        options.outputPath = ::testing::TempDir() + "/hostile-display-output.txt";
        options.environment["DISPLAY"] = server_->displayName();
        gauge_ = ChildProcess::launch(options);
        ASSERT_TRUE(gauge_);
        window_ = waitForWindow(x_->display(), gaugeTitle, 10.0);
        ASSERT_NE(window_, 0u) << gauge_->output();
    }

    // Still running, and still answering: Ctrl+X ends it with status 0.
    void expectResponsiveAndQuit(double exitTimeoutSeconds = 10.0) {
        ASSERT_TRUE(gauge_->running()) << gauge_->output();
        XWindowAttributes attributes;
        ASSERT_TRUE(XGetWindowAttributes(x_->display(), window_, &attributes));
        x_->moveTo(window_, {attributes.width / 2 % 600, attributes.height / 2 % 600});
        x_->tapKey(XK_x, XK_Control_L);
        EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional<int>(0)) << gauge_->output();
    }

    void resizeFromOutside(unsigned width, unsigned height) {
        XResizeWindow(x_->display(), window_, width, height);
        XSync(x_->display(), False);
    }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<XSession> x_;
    std::unique_ptr<ChildProcess> gauge_;
    Window window_ = 0;
};

// Any client may send any event to any window; a ConfigureNotify claiming 65535 x 65535 once made the
// program allocate 17 GB for one frame and abort.
TEST_F(HostileDisplay, ForgedHugeConfigureNotifyIsIgnored) {
    XEvent event = {};
    event.xconfigure.type = ConfigureNotify;
    event.xconfigure.event = window_;
    event.xconfigure.window = window_;
    event.xconfigure.width = 65535;
    event.xconfigure.height = 65535;
    XSendEvent(x_->display(), window_, False, StructureNotifyMask, &event);
    XSync(x_->display(), False);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    expectResponsiveAndQuit();
}

// X allows windows up to 32767 pixels a side, far more than GL draws into; the program draws into what
// fits and comes back to normal when the window does.
TEST_F(HostileDisplay, WindowLargerThanGlCanDrawKeepsWorking) {
    resizeFromOutside(32767, 32767);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_TRUE(gauge_->running()) << gauge_->output();
    resizeFromOutside(600, 600);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // A frame still being drawn at the largest size takes seconds on a software rasteriser.
    expectResponsiveAndQuit(40.0);
}

// Resident memory of a process in kB, from /proc.
long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Buffers sized by the window once stayed at their largest: 600 -> 8000 -> 600 kept about 250 MB.
TEST_F(HostileDisplay, MemoryComesBackWhenALargeWindowShrinks) {
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long before = residentKilobytes(gauge_->pid());
    ASSERT_GT(before, 0);
    resizeFromOutside(8000, 8000);
    std::this_thread::sleep_for(std::chrono::seconds(4));
    const long large = residentKilobytes(gauge_->pid());
    resizeFromOutside(600, 600);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const long after = residentKilobytes(gauge_->pid());
    EXPECT_GT(large, before + 100000) << "the large window was never drawn";
    EXPECT_LT(after, before + 50000) << "kB before " << before << ", large " << large << ", after " << after;
    expectResponsiveAndQuit(40.0);
}

// On Win32 a destroyed window sends WM_DESTROY and the program quits; any X client can destroy ours.
TEST_F(HostileDisplay, WindowDestroyedByAnotherClientEndsTheProgramNormally) {
    XDestroyWindow(x_->display(), window_);
    XSync(x_->display(), False);
    EXPECT_EQ(gauge_->waitForExit(5.0), std::optional<int>(0)) << gauge_->output();
}

TEST_F(HostileDisplay, LostServerEndsTheProgramWithStatus1AndOneLine) {
    x_.reset();
    server_.reset();
    EXPECT_EQ(gauge_->waitForExit(5.0), std::optional<int>(1));
    EXPECT_NE(gauge_->output().find("tessivar: lost the connection to the X server"), std::string::npos)
        << gauge_->output();
}

} // namespace
