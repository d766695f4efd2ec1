// A long-running session through the real X server: drags, resizes and key presses while frames keep
// coming and resident memory stays flat. CI runs a short session; TESSIVAR_SOAK_SECONDS runs longer
// (scripts/soak.sh).
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "child_process.h"
#include "x11_windows.h"
#include "x_session.h"
#include "xvfb_server.h"

#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const std::string gaugeTitle = "Tessivar - tessivar.example.org";
// Glyph caches, driver pools and the heap settle in the first part; after it memory must stay flat.
// Buffers sized by the window come and go with the resizes, so the peaks of the first and the last
// third of the measured part are compared: a leak raises the later peak, the coming and going does not.
constexpr long kAllowedGrowthKilobytes = 1024;
constexpr unsigned kSides[] = {900, 450, 750, 300, 640};

double seconds(const char* variable, double fallback) {
    const char* value = std::getenv(variable);
    return value && *value ? std::atof(value) : fallback;
}

long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Counts the drawing the program does in its window: each buffer swap reaches the server as drawing
// on the GL surface, a child of the top-level window.
class FrameCounter {
public:
    FrameCounter(Display* display, Window window) : display_(display) {
        int error = 0;
        available_ = XDamageQueryExtension(display, &eventBase_, &error);
        if (!available_) return;
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &parent, &children, &count);
        const Window surface = count > 0 ? children[0] : window;
        if (children) XFree(children);
        damage_ = XDamageCreate(display, surface, XDamageReportNonEmpty);
        XSync(display, False);
    }
    ~FrameCounter() {
        if (damage_) XDamageDestroy(display_, damage_);
    }
    bool available() const { return available_; }

    // Reports seen since the last call.
    long take() {
        long frames = 0;
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == eventBase_ + XDamageNotify) {
                ++frames;
                XDamageSubtract(display_, damage_, 0, 0);
            }
        }
        return frames;
    }

private:
    Display* display_;
    bool available_ = false;
    int eventBase_ = 0;
    Damage damage_ = 0;
};

} // namespace

TEST(Soak, FramesKeepComingAndMemoryStaysFlat) {
    const double warmUp = seconds("TESSIVAR_SOAK_WARMUP_SECONDS", 20.0);
    const double measured = seconds("TESSIVAR_SOAK_SECONDS", 40.0);
    auto server = XvfbServer::start();
    ASSERT_TRUE(server);
    auto x = XSession::open(server->displayName());
    ASSERT_TRUE(x);
    LaunchOptions options;
    options.argv = {TESSIVAR_BINARY};
    options.outputPath = ::testing::TempDir() + "/soak-output.txt";
    options.environment["DISPLAY"] = server->displayName();
    auto gauge = ChildProcess::launch(options);
    ASSERT_TRUE(gauge);
    const Window window = waitForWindow(x->display(), gaugeTitle, 10.0);
    ASSERT_NE(window, 0u) << gauge->output();
    FrameCounter frames(x->display(), window);
    ASSERT_TRUE(frames.available()) << "no DAMAGE extension";

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> coordinate(20, 580);
    const auto start = Clock::now();
    const auto measureFrom = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(warmUp));
    const auto end = measureFrom + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(measured));
    std::vector<long> resident;
    long quietSpans = 0;
    long spans = 0;
    frames.take();
    for (int round = 0; Clock::now() < end; ++round) {
        const auto spanStart = Clock::now();
        // One round of what a user does: both drags, both keys twice (so the state comes back), a resize
        // and back, so that every round ends in the same state and memory is compared like for like.
        x->drag(window, 1, {300, 300}, {coordinate(random), coordinate(random)});
        x->drag(window, 3, {300, 300}, {coordinate(random), coordinate(random)});
        for (KeySym key : {XK_i, XK_v, XK_i, XK_v}) x->tapKey(key);
        // The sizes repeat in a fixed cycle, so rounds after the warm-up go through the same states.
        const unsigned side = kSides[round % (sizeof kSides / sizeof kSides[0])];
        XResizeWindow(x->display(), window, side, side);
        XSync(x->display(), False);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        XResizeWindow(x->display(), window, 600, 600);
        XSync(x->display(), False);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));

        ASSERT_TRUE(gauge->running()) << gauge->output();
        ++spans;
        if (frames.take() == 0) ++quietSpans;
        if (spanStart < measureFrom) continue;
        resident.push_back(residentKilobytes(gauge->pid()));
        if (std::getenv("TESSIVAR_SOAK_TRACE")) std::printf("rss %ld side %u\n", resident.back(), side);
    }
    ASSERT_GE(resident.size(), 3u) << "too short to compare";
    const size_t third = resident.size() / 3;
    const long early = *std::max_element(resident.begin(), resident.begin() + third);
    const long late = *std::max_element(resident.end() - third, resident.end());
    std::printf("soak: %.0f s, %ld rounds; resident peak %ld kB early, %ld kB late, %ld kB overall\n",
                std::chrono::duration<double>(Clock::now() - start).count(), spans, early, late,
                *std::max_element(resident.begin(), resident.end()));
    EXPECT_EQ(quietSpans, 0) << "rounds without a single frame";
    ASSERT_GT(early, 0);
    EXPECT_LE(late - early, kAllowedGrowthKilobytes);

    x->tapKey(XK_x, XK_Control_L);
    EXPECT_EQ(gauge->waitForExit(10.0), std::optional<int>(0)) << gauge->output();
}
