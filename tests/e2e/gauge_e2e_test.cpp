// End-to-end tests: the real program on a private Xvfb, driven with XTest and checked by its pixels.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "child_process.h"
#include "gauge_scene.h"
#include "png_writer.h"
#include "x11_properties.h"
#include "x11_windows.h"
#include "x_session.h"
#include "xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace gauge;

constexpr double startTimeoutSeconds = 10.0;
constexpr double frameTimeoutSeconds = 5.0;
constexpr double exitTimeoutSeconds = 5.0;

std::string makeScratchDirectory() {
    char pattern[] = "/tmp/tessivar-e2e-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "";
}

std::string currentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

class GaugeTest : public ::testing::Test {
protected:
    void SetUp() override {
        removeFailureArtifacts();
        scratch_ = makeScratchDirectory();
        ASSERT_FALSE(scratch_.empty());
    }

    void TearDown() override {
        if (HasFailure()) saveFailureArtifacts();
        gauge_.reset();
        x_.reset();
        server_.reset();
        std::filesystem::remove_all(scratch_);
    }

    ::testing::AssertionResult startServer(const std::vector<std::string>& extraArguments = {}) {
        server_ = XvfbServer::start(extraArguments);
        if (!server_) return ::testing::AssertionFailure() << "Xvfb did not start";
        x_ = XSession::open(server_->displayName());
        if (!x_) return ::testing::AssertionFailure() << "no XTest connection to " << server_->displayName();
        return ::testing::AssertionSuccess();
    }

    // Starts the program in the scratch directory, on our server if there is one, else with no DISPLAY.
    ::testing::AssertionResult startGauge(std::map<std::string, std::optional<std::string>> environment = {}) {
        LaunchOptions options;
        options.argv = {TESSIVAR_BINARY};
        options.workingDirectory = scratch_;
        options.outputPath = scratch_ + "/output.txt";
        options.environment = std::move(environment);
        options.environment["DISPLAY"] = server_ ? std::optional(server_->displayName()) : std::nullopt;
        gauge_ = ChildProcess::launch(options);
        if (!gauge_) return ::testing::AssertionFailure() << "could not start " << TESSIVAR_BINARY;
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult waitForGaugeWindow() {
        window_ = waitForWindow(x_->display(), title, startTimeoutSeconds);
        if (!window_)
            return ::testing::AssertionFailure() << "no window \"" << title << "\"; program said: " << gauge_->output();
        return ::testing::AssertionSuccess();
    }

    // Captures the client area until check passes or the time-out; the last capture stays for inspection.
    bool waitForFrame(const std::function<bool(const GaugeImage&)>& check,
                      double timeoutSeconds = frameTimeoutSeconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
        for (;;) {
            if (captureFrame() && check(frame())) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    bool captureFrame() {
        auto image = x_->captureWindow(window_);
        if (!image || image->width != side || image->height != side) return false;
        lastFrame_ = std::move(*image);
        return true;
    }

    bool waitForFirstFrame() { return waitForFrame(firstFrameDrawn, startTimeoutSeconds); }

    bool setArmUpBaseRight() {
        dragArmUpBaseRight(*x_, window_);
        return waitForFrame(armUpBaseRightReached);
    }

    // The pointer has to be over the window for its keys to reach it: there is no window manager to focus it.
    void typeKey(unsigned long keysym, unsigned long modifier = 0) {
        x_->moveTo(window_, {20, 300});
        x_->tapKey(keysym, modifier);
    }

    GaugeImage frame() const { return GaugeImage(lastFrame_); }

    static std::string artifactStem() { return std::string(E2E_ARTIFACT_DIR) + "/failed-" + currentTestName(); }

    // Pictures from an earlier failed run would mislead once the test passes.
    static void removeFailureArtifacts() {
        for (const char* suffix : {".png", "-screen.png", ".log"}) std::filesystem::remove(artifactStem() + suffix);
    }

    void saveFailureArtifacts() {
        const std::string stem = artifactStem();
        if (lastFrame_.width > 0) writePngFile(lastFrame_, stem + ".png");
        if (x_)
            if (auto screen = x_->captureScreen()) writePngFile(*screen, stem + "-screen.png");
        if (gauge_) std::ofstream(stem + ".log") << gauge_->output();
    }

    std::string scratch_;
    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<XSession> x_;
    std::unique_ptr<ChildProcess> gauge_;
    Window window_ = None;
    RgbImage lastFrame_;
};

// The program running on its own server with its first frame on screen.
class RunningGauge : public GaugeTest {
protected:
    void SetUp() override {
        GaugeTest::SetUp();
        ASSERT_TRUE(startServer());
        ASSERT_TRUE(startGauge());
        ASSERT_TRUE(waitForGaugeWindow());
        ASSERT_TRUE(waitForFirstFrame()) << "no first frame";
    }
};

TEST_F(RunningGauge, WindowIsA600SquareClientAreaWithItsNamesAndProtocols) {
    Display* display = x_->display();
    const auto area = windowRect(display, window_);
    ASSERT_TRUE(area);
    EXPECT_EQ(area->width, 600);
    EXPECT_EQ(area->height, 600);
    EXPECT_EQ(area->x, 50);
    EXPECT_EQ(area->y, 50);
    EXPECT_EQ(parentOf(display, window_), DefaultRootWindow(display));

    EXPECT_EQ(textProperty(display, window_, "WM_NAME"), title);
    EXPECT_EQ(textProperty(display, window_, "_NET_WM_NAME"), title);
    EXPECT_EQ(textProperty(display, window_, "WM_CLASS"), std::string("tessivar\0Tessivar\0", 18));
    EXPECT_TRUE(hasProperty(display, window_, "_NET_WM_WINDOW_OPACITY"));
    EXPECT_TRUE(acceptsDeleteWindow(display, window_));
}

// The icon goes on after the first frame, so it is waited for: every image of the icon group, largest
// first, each as width, height and its pixels.
TEST_F(RunningGauge, WindowGetsEveryImageOfItsIcon) {
    std::optional<std::vector<std::uint32_t>> icon;
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(startTimeoutSeconds);
    while (!(icon = property32(x_->display(), window_, "_NET_WM_ICON", XA_CARDINAL)) &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(icon) << "no _NET_WM_ICON";
    std::vector<std::uint32_t> sizes;
    for (size_t at = 0; at + 2 <= icon->size() && (*icon)[at] == (*icon)[at + 1];
         at += 2 + size_t{(*icon)[at]} * (*icon)[at])
        sizes.push_back((*icon)[at]);
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{256, 48, 32, 16}));
}

TEST_F(RunningGauge, StartsWithAllPointsInTheMiddleAndTheIndicatorUpright) { EXPECT_EQ(startFaults(frame()), ""); }

TEST_F(RunningGauge, DragsSetArmUpAndBaseRightWithAQuarterArcAndTheBarTurned) {
    ASSERT_TRUE(setArmUpBaseRight());
    EXPECT_EQ(armUpBaseRightFaults(frame()), "");
}

// Whether the process has stopped (state T in /proc), within the time-out.
bool waitUntilStopped(pid_t pid, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    const std::string statPath = "/proc/" + std::to_string(pid) + "/stat";
    for (;;) {
        std::string stat;
        std::getline(std::ifstream(statPath), stat);
        const auto nameEnd = stat.rfind(") ");
        if (nameEnd != std::string::npos && stat.compare(nameEnd + 2, 1, "T") == 0) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Input that piles up while no frame is drawn, as behind a slow frame on a loaded machine, is all handled in
// order: here every event of both drags waits for one turn of the message loop.
TEST_F(RunningGauge, DragsSetArmUpAndBaseRightAlsoWhenQueuedWhileStopped) {
    ASSERT_EQ(kill(gauge_->pid(), SIGSTOP), 0);
    const bool stopped = waitUntilStopped(gauge_->pid(), frameTimeoutSeconds);
    if (stopped) dragArmUpBaseRight(*x_, window_);
    ASSERT_EQ(kill(gauge_->pid(), SIGCONT), 0);
    ASSERT_TRUE(stopped) << "the program did not stop";

    ASSERT_TRUE(waitForFrame(armUpBaseRightReached));
    EXPECT_EQ(armUpBaseRightFaults(frame()), "");
}

// The stretch of an upright arm between the vertex marker and the arc, which crosses it at y 400.
constexpr int armLow = 305;
constexpr int armHigh = 393;

// Lit and dark runs along the arm's rows, as lengths: lit runs positive, dark runs negative.
std::vector<int> runsAlongArm(const GaugeImage& f, int threshold) {
    std::vector<int> runs;
    for (int y = armLow; y <= armHigh; ++y) {
        const int lit = f.any({297, y, 303, y}, [threshold](Rgb c) { return isGrey(c) && c.r >= threshold; }) ? 1 : -1;
        if (!runs.empty() && (runs.back() > 0) == (lit > 0))
            runs.back() += lit;
        else
            runs.push_back(lit);
    }
    return runs;
}

int brightestOnArm(const GaugeImage& f) {
    int brightest = 0;
    for (int y = armLow; y <= armHigh; ++y)
        for (int x = 297; x <= 303; ++x) brightest = std::max(brightest, f.at(x, y).r);
    return brightest;
}

// Dashes of 10 rows with gaps of 10 (stipple 0x6666, factor 5); the runs cut by the ends of the range are ignored.
bool looksDashed(const std::vector<int>& runs) {
    int dashes = 0;
    int gaps = 0;
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
        const int length = std::abs(runs[i]);
        if (length < 6 || length > 14) return false;
        (runs[i] > 0 ? dashes : gaps) += 1;
    }
    return dashes >= 3 && gaps >= 3;
}

TEST_F(RunningGauge, ArmIsDashedAndBlinksWhileTheLeftButtonIsHeld) {
    x_->moveTo(window_, fromGl(300, 450));
    x_->pressButton(Button1);

    int dimmest = 255;
    int brightest = 0;
    bool sawDashes = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < until) {
        if (!captureFrame()) continue;
        const int level = brightestOnArm(frame());
        dimmest = std::min(dimmest, level);
        brightest = std::max(brightest, level);
        if (level > 100) sawDashes = sawDashes || looksDashed(runsAlongArm(frame(), level / 2));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    EXPECT_TRUE(sawDashes) << "no dashed grey arm while held";
    EXPECT_GT(brightest - dimmest, 80) << "the grey does not follow the pulse";

    x_->releaseButton(Button1);
    EXPECT_TRUE(waitForFrame([](const GaugeImage& f) {
        for (int y = 310; y <= 440; ++y)
            if (!f.rowHas(y, 297, 303, isWhite)) return false;
        return true;
    })) << "arm not solid white after release";
}

TEST_F(RunningGauge, KeyIHidesAndShowsTheCoordinates) {
    ASSERT_TRUE(setArmUpBaseRight());
    ASSERT_TRUE(coordinatesShown(frame()));

    typeKey(XK_i);
    EXPECT_TRUE(waitForFrame(coordinatesHidden)) << "coordinates still shown after I, or other text gone with them";
    typeKey(XK_i);
    EXPECT_TRUE(waitForFrame(coordinatesShown)) << "coordinates not back after a second I";
}

// As on Windows, Alt with a letter is a system key (WM_SYSKEYDOWN), which the program does not take for its own
// keys. The plain I after them is the only toggle: a frame drawn a while after it still has the coordinates
// hidden, which an Alt+I that had toggled them first would have undone.
TEST_F(RunningGauge, AltIAndAltVDoNothing) {
    ASSERT_TRUE(setArmUpBaseRight());
    ASSERT_TRUE(coordinatesShown(frame()));

    typeKey(XK_i, XK_Alt_L);
    typeKey(XK_v, XK_Alt_L);
    typeKey(XK_i);
    EXPECT_TRUE(waitForFrame(coordinatesHidden)) << "the plain I after Alt+I and Alt+V did not hide the coordinates";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(captureFrame());
    EXPECT_TRUE(coordinatesHidden(frame())) << "coordinates shown again: Alt+I toggled them too";
    EXPECT_FALSE(gauge_->waitForExit(0.2)) << "program ended: " << gauge_->output();
}

TEST_F(RunningGauge, KeyVTwiceKeepsItRunningAndDrawing) {
    typeKey(XK_v);
    typeKey(XK_v);
    EXPECT_FALSE(gauge_->waitForExit(0.5)) << "program ended after V: " << gauge_->output();
    EXPECT_TRUE(setArmUpBaseRight()) << "no longer drawing after V";
}

TEST_F(RunningGauge, CtrlXExitsWithStatus0) {
    typeKey(XK_x, XK_Control_L);
    EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional(0));
}

TEST_F(RunningGauge, PlainXDoesNotExit) {
    typeKey(XK_x);
    EXPECT_FALSE(gauge_->waitForExit(0.5));
}

TEST_F(RunningGauge, DeleteWindowMessageExitsWithStatus0) {
    ASSERT_TRUE(sendDeleteWindow(x_->display(), window_));
    EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional(0));
}

TEST_F(GaugeTest, WithoutGlxShowsThePixelFormatMessageBoxAndExits1) {
    ASSERT_TRUE(startServer({"-extension", "GLX"}));
    ASSERT_TRUE(startGauge());
    const Window box = waitForWindow(x_->display(), "SetDCPixelFormat", startTimeoutSeconds);
    ASSERT_NE(box, static_cast<Window>(None)) << "no message box; program said: " << gauge_->output();
    EXPECT_EQ(parentOf(x_->display(), box), DefaultRootWindow(x_->display())) << "not a top-level window";
    EXPECT_TRUE(gauge_->running()) << "ended before the box was dismissed";
    // Tied to the program as its main window is, so a window manager can group and kill them together.
    EXPECT_EQ(textProperty(x_->display(), box, "WM_CLASS"), std::string("tessivar\0Tessivar\0", 18));
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(textProperty(x_->display(), box, "WM_CLIENT_MACHINE"), std::string(host));
    EXPECT_EQ(property32(x_->display(), box, "_NET_WM_PID", XA_CARDINAL),
              std::vector<std::uint32_t>{static_cast<std::uint32_t>(gauge_->pid())});
    if (auto image = x_->captureWindow(box)) lastFrame_ = *image;

    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (gauge_->output().find("Error Pixel Format") == std::string::npos && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_NE(gauge_->output().find("Error Pixel Format"), std::string::npos) << gauge_->output();
    EXPECT_NE(gauge_->output().find("SetDCPixelFormat"), std::string::npos) << gauge_->output();

    x_->moveTo(box, {10, 10});
    x_->tapKey(XK_Return);
    EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional(1));
}

TEST_F(GaugeTest, WithoutADisplayPrintsAMessageAndExits1) {
    ASSERT_TRUE(startGauge());
    EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional(1));
    EXPECT_FALSE(gauge_->output().empty()) << "no message";
}

TEST_F(GaugeTest, WithoutAFaceFileRunsWithoutText) {
    const std::string config = scratch_ + "/fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" << scratch_
                          << "/fc-cache</cachedir></fontconfig>\n";
    ASSERT_TRUE(startServer());
    ASSERT_TRUE(startGauge({{"FONTCONFIG_FILE", config}}));
    ASSERT_TRUE(waitForGaugeWindow());
    ASSERT_TRUE(waitForFirstFrame());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(captureFrame());

    EXPECT_EQ(silentFaults(frame()), "");
    EXPECT_TRUE(gauge_->running());
}

} // namespace
