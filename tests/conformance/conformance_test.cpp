// Our Win32 against Wine's: the probe built for our layer and for Windows, each run on the same private Xvfb and
// driven with the same XTest input, must leave the same trace, apart from what accepted_differences.txt lists
// with its reason. A difference that is not listed, or a listed one that no longer occurs, fails the test.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "trace_compare.h"
#include "wine_fixture.h"
#include "wine_program.h"
#include "x11_capture.h"
#include "x11_windows.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr char kTitle[] = "Tessivar Win32 probe";
constexpr int kClientWidth = 300; // as the probe asks for
constexpr int kClientHeight = 200;
constexpr double startTimeoutSeconds = 30.0;
constexpr double exitTimeoutSeconds = 15.0;
// A step is done when the trace has not grown for this long; both probes take messages every 2 ms.
constexpr auto quietTime = std::chrono::milliseconds(200);
constexpr auto stepTimeout = std::chrono::seconds(5);

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitForLine(const fs::path& trace, const std::string& wanted, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string& line : splitLines(readFile(trace)))
            if (line == wanted) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Waits until the probe has taken what the last input made: the trace stops growing.
void waitUntilQuiet(const fs::path& trace) {
    const auto deadline = std::chrono::steady_clock::now() + stepTimeout;
    std::error_code error;
    auto size = fs::file_size(trace, error);
    auto changed = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto now = fs::file_size(trace, error);
        if (now != size) {
            size = now;
            changed = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - changed >= quietTime) {
            return;
        }
    }
}

// The same input for both: pointer and keys through XTest, at points of the client area.
class Driver {
public:
    Driver(Display* display, int clientX, int clientY, fs::path trace)
        : display_(display), clientX_(clientX), clientY_(clientY), trace_(std::move(trace)) {}

    void move(int x, int y) {
        XTestFakeMotionEvent(display_, DefaultScreen(display_), clientX_ + x, clientY_ + y, CurrentTime);
        sync();
    }
    void button(unsigned number, bool down) {
        XTestFakeButtonEvent(display_, number, down ? True : False, CurrentTime);
        sync();
    }
    void click(unsigned number) {
        button(number, true);
        button(number, false);
    }
    void key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False, CurrentTime);
        sync();
    }
    void tap(KeySym keysym) {
        key(keysym, true);
        key(keysym, false);
    }
    // Holds the modifiers (in order) around what is done.
    void with(std::initializer_list<KeySym> modifiers, const std::function<void()>& action) {
        for (KeySym modifier : modifiers) key(modifier, true);
        action();
        for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) key(*it, false);
    }
    void settle() { waitUntilQuiet(trace_); }

private:
    void sync() { XSync(display_, False); }

    Display* display_;
    int clientX_;
    int clientY_;
    fs::path trace_;
};

// The input, step by step, each step left to settle before the next.
void playInput(Driver& in) {
    const std::vector<std::function<void()>> steps = {
        [&] { in.move(40, 30); },
        [&] { in.move(60, 45); },
        [&] { in.click(Button1); },
        [&] { in.with({XK_Shift_L}, [&] { in.click(Button1); }); },
        [&] { in.click(Button3); },
        [&] { in.click(Button2); },
        [&] { in.button(Button1, true); },
        [&] { in.move(70, 50); },
        [&] { in.button(Button1, false); },
        [&] { in.click(Button4); },
        [&] { in.click(Button5); },
        [&] { in.with({XK_Control_L}, [&] { in.click(Button4); }); },
        [&] { in.click(6); },
        [&] { in.click(7); },
        [&] { in.tap(XK_a); },
        [&] { in.with({XK_Shift_L}, [&] { in.tap(XK_a); }); },
        [&] { in.tap(XK_1); },
        [&] { in.tap(XK_Return); },
        [&] { in.tap(XK_Right); },
        [&] { in.with({XK_Control_L}, [&] { in.tap(XK_x); }); },
        [&] { in.with({XK_Alt_L}, [&] { in.tap(XK_i); }); },
        [&] { in.with({XK_Alt_L}, [&] { in.tap(XK_v); }); },
        [&] { in.tap(XK_Alt_L); },
        [&] {
            in.with({XK_Control_L, XK_Alt_L}, [&] { in.tap(XK_n); });
        },
        [&] { in.tap(XK_F10); },
        [&] {
            // Alt let go before the letter.
            in.key(XK_Alt_L, true);
            in.key(XK_i, true);
            in.key(XK_Alt_L, false);
            in.key(XK_i, false);
        },
        [&] {
            // A key held long enough to repeat, as the server reports a repeat: another press.
            in.key(XK_b, true);
            in.key(XK_b, true);
            in.key(XK_b, false);
        },
        [&] { in.tap(XK_Escape); },
    };
    for (const auto& step : steps) {
        step();
        in.settle();
    }
}

class Win32Conformance : public WineFixture {
protected:
    void SetUp() override { setUpWine(TESSIVAR_WINDOWS_PROBE, TESSIVAR_WINE_PREFIX_SCRIPT); }
    void TearDown() override { tearDownWine(); }

    // Runs one probe in directory until it ends, playing the input; its trace, or a failure.
    ::testing::AssertionResult run(const fs::path& directory, const std::function<bool()>& launch,
                                   const std::function<std::optional<int>()>& waitForExit,
                                   std::vector<std::string>& trace) {
        const fs::path traceFile = directory / "probe-trace.txt";
        Display* display = x_->display();
        // The pointer starts away from where the window appears.
        XTestFakeMotionEvent(display, DefaultScreen(display), 5, 5, CurrentTime);
        XSync(display, False);
        if (!launch()) return ::testing::AssertionFailure() << "could not start the probe";
        const Window window = waitForWindow(display, kTitle, startTimeoutSeconds);
        if (!window) return ::testing::AssertionFailure() << "no probe window";
        if (!waitForLine(traceFile, "ready", startTimeoutSeconds))
            return ::testing::AssertionFailure() << "the probe never got ready:\n" << readFile(traceFile);
        // Wine without a window manager frames the client area itself: a border all round and a caption above.
        const auto frame = windowRect(display, window);
        if (!frame) return ::testing::AssertionFailure() << "the probe window is gone";
        const int border = (frame->width - kClientWidth) / 2;
        const int caption = frame->height - kClientHeight - 2 * border;
        Driver driver(display, frame->x + border, frame->y + border + caption, traceFile);
        driver.settle();
        playInput(driver);
        const std::optional<int> status = waitForExit();
        if (status != 0) return ::testing::AssertionFailure() << "the probe did not end well: " << status.value_or(-1);
        trace = splitLines(readFile(traceFile));
        return ::testing::AssertionSuccess();
    }
};

TEST_F(Win32Conformance, ProbeTracesMatchWineApartFromTheAcceptedDifferences) {
    std::string error;
    const auto accepted = parseAcceptedDifferences(readFile(TESSIVAR_ACCEPTED_DIFFERENCES), &error);
    ASSERT_TRUE(accepted) << TESSIVAR_ACCEPTED_DIFFERENCES << ": " << error;

    const fs::path ourDirectory = fs::path(scratch_) / "ours";
    fs::create_directories(ourDirectory);
    std::unique_ptr<ChildProcess> ours;
    std::vector<std::string> ourTrace;
    ASSERT_TRUE(run(
        ourDirectory,
        [&] {
            LaunchOptions options;
            options.argv = {TESSIVAR_LINUX_PROBE};
            options.workingDirectory = ourDirectory.string();
            options.outputPath = scratch_ + "/ours-output.txt";
            options.environment["DISPLAY"] = server_->displayName();
            ours = ChildProcess::launch(options);
            return ours != nullptr;
        },
        [&] { return ours->waitForExit(exitTimeoutSeconds); }, ourTrace))
        << "on our layer";

    const fs::path wineDirectory = fs::path(scratch_) / "wine";
    fs::create_directories(wineDirectory);
    ASSERT_TRUE(makePrivatePrefix(wine_.basePrefix, scratch_ + "/prefix", false));
    std::unique_ptr<WineProgram> wine;
    std::vector<std::string> wineTrace;
    ASSERT_TRUE(run(
        wineDirectory,
        [&] {
            wine = WineProgram::launch(wine_, WineArch::x86_64, scratch_ + "/prefix", TESSIVAR_WINDOWS_PROBE,
                                       server_->displayName(),
                                       wineDirectory.string(), scratch_ + "/wine-output.txt");
            return wine != nullptr;
        },
        [&] { return wine->process().waitForExit(exitTimeoutSeconds); }, wineTrace))
        << "under Wine";

    // Both traces are kept beside the test for whoever reads a failure.
    std::ofstream(std::string(CONFORMANCE_ARTIFACT_DIR) + "/ours-trace.txt")
        << readFile(ourDirectory / "probe-trace.txt");
    std::ofstream(std::string(CONFORMANCE_ARTIFACT_DIR) + "/wine-trace.txt")
        << readFile(wineDirectory / "probe-trace.txt");

    ASSERT_FALSE(ourTrace.empty());
    EXPECT_EQ(ourTrace.back(), "done");
    EXPECT_EQ(wineTrace.back(), "done");
    const TraceDiff raw = diffTraces(ourTrace, wineTrace);
    const TraceDiff diff =
        diffTraces(withoutMessages(ourTrace, accepted->messages), withoutMessages(wineTrace, accepted->messages));
    std::ostringstream report;
    for (const std::string& line : unexplainedDifferences(diff, *accepted)) report << line << '\n';
    for (const std::string& line : unusedMessageEntries(ourTrace, wineTrace, *accepted)) report << line << '\n';
    EXPECT_TRUE(report.str().empty()) << "differences from Wine that accepted_differences.txt does not explain:\n"
                                      << report.str();
    std::printf("trace lines differing from Wine: %zu of ours, %zu of Wine's; %zu and %zu after leaving out the "
                "messages the layer does not model\n",
                raw.oursOnly.size(), raw.wineOnly.size(), diff.oursOnly.size(), diff.wineOnly.size());
}

} // namespace
