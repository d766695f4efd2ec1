// The test helpers against the real thing: Xvfb servers side by side, child processes, window properties read
// back from a server, pixel boxes.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "child_process.h"
#include "pixel_box.h"
#include "x11_properties.h"
#include "x11_windows.h"
#include "xvfb_server.h"

#include <X11/Xatom.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <future>
#include <set>
#include <thread>

namespace {

std::unique_ptr<ChildProcess> launch(std::vector<std::string> argv, LaunchOptions options = {}) {
    options.argv = std::move(argv);
    return ChildProcess::launch(options);
}

std::string scratchFile() {
    char pattern[] = "/tmp/tessivar-support-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    return pattern;
}

TEST(XvfbServer, ServersStartedTogetherEachGetTheirOwnDisplay) {
    // Each server lives in its own thread until the checks are done: a child dies with the thread that started it.
    constexpr int count = 4;
    std::promise<void> checked;
    const std::shared_future<void> done = checked.get_future().share();
    std::vector<std::future<std::string>> names;
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        std::promise<std::string> name;
        names.push_back(name.get_future());
        threads.emplace_back([name = std::move(name), done]() mutable {
            auto server = XvfbServer::start();
            name.set_value(server ? server->displayName() : "");
            done.wait();
        });
    }
    std::set<std::string> distinct;
    for (auto& name : names) {
        const std::string display = name.get();
        EXPECT_FALSE(display.empty()) << "Xvfb did not start";
        distinct.insert(display);
        Display* connection = XOpenDisplay(display.c_str());
        EXPECT_NE(connection, nullptr) << display << " refuses connections";
        if (connection) XCloseDisplay(connection);
    }
    checked.set_value();
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(distinct.size(), static_cast<size_t>(count)) << "two servers on one display";
}

TEST(XvfbServer, KeepsItsStateWhenTheLastTestClientLeavesAndStopsWithItsHandle) {
    auto server = XvfbServer::start();
    ASSERT_TRUE(server);
    const std::string name = server->displayName();
    Display* first = XOpenDisplay(name.c_str());
    ASSERT_NE(first, nullptr);
    const unsigned char mark[] = "kept";
    XChangeProperty(first, DefaultRootWindow(first), XInternAtom(first, "TESSIVAR_MARK", False), XA_STRING, 8,
                    PropModeReplace, mark, 4);
    XCloseDisplay(first);

    // A server reset would have dropped the root window's properties.
    Display* second = XOpenDisplay(name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(textProperty(second, DefaultRootWindow(second), "TESSIVAR_MARK"), "kept");
    XCloseDisplay(second);

    server.reset();
    Display* after = XOpenDisplay(name.c_str());
    EXPECT_EQ(after, nullptr) << "server still running";
    if (after) XCloseDisplay(after);
}

TEST(ChildProcess, ReportsExitStatusesSignalsAndExecFailures) {
    auto exits = launch({"/bin/sh", "-c", "exit 3"});
    ASSERT_TRUE(exits);
    EXPECT_EQ(exits->waitForExit(5.0), std::optional(3));

    auto sleeps = launch({"/bin/sleep", "30"});
    ASSERT_TRUE(sleeps);
    EXPECT_FALSE(sleeps->waitForExit(0.1));
    EXPECT_TRUE(sleeps->running());
    EXPECT_EQ(sleeps->terminate(), 128 + SIGTERM);
    EXPECT_FALSE(sleeps->running());

    auto missing = launch({"/nonexistent/program"});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->waitForExit(5.0), std::optional(127));
}

TEST(ChildProcess, RunsWithTheChangedEnvironmentInItsDirectoryAndKeepsItsOutput) {
    setenv("TESSIVAR_SUPPORT_REMOVED", "parent", 1);
    setenv("TESSIVAR_SUPPORT_INHERITED", "parent", 1);
    LaunchOptions options;
    options.environment = {{"TESSIVAR_SUPPORT_REMOVED", std::nullopt}, {"TESSIVAR_SUPPORT_SET", "child"}};
    options.workingDirectory = "/usr";
    options.outputPath = scratchFile();
    auto child = launch({"/bin/sh", "-c",
                         "echo \"${TESSIVAR_SUPPORT_REMOVED-unset} $TESSIVAR_SUPPORT_INHERITED "
                         "$TESSIVAR_SUPPORT_SET $(pwd)\"; echo error >&2"},
                        options);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->waitForExit(5.0), std::optional(0));
    EXPECT_EQ(child->output(), "unset parent child /usr\nerror\n");
    unlink(options.outputPath.c_str());
}

// Reads what arrives on the pipe until every writer has closed it.
std::string drain(int pipe) {
    std::string text;
    char buffer[64];
    for (ssize_t got; (got = read(pipe, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(got));
    return text;
}

TEST(ChildProcess, InheritsOnlyTheDescriptorsItIsGiven) {
    int given[2];
    int withheld[2];
    ASSERT_EQ(pipe2(given, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(withheld, O_CLOEXEC), 0);
    LaunchOptions options;
    options.inheritedDescriptors = {given[1]};
    const std::string script =
        "echo given >&" + std::to_string(given[1]) + "; echo withheld >&" + std::to_string(withheld[1]);
    auto child = launch({"/bin/sh", "-c", script}, options);
    ASSERT_TRUE(child);
    close(given[1]);
    close(withheld[1]);
    EXPECT_EQ(drain(given[0]), "given\n");
    EXPECT_EQ(drain(withheld[0]), "");
    child->waitForExit(5.0);
    close(given[0]);
    close(withheld[0]);
}

// A top-level window of its own on a private server, to hang properties on.
class WindowProperties : public ::testing::Test {
protected:
    void SetUp() override {
        server = XvfbServer::start();
        ASSERT_TRUE(server);
        display = XOpenDisplay(server->displayName().c_str());
        ASSERT_NE(display, nullptr);
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    }
    void TearDown() override {
        if (display) XCloseDisplay(display);
    }

    void set(const char* name, const char* type, int format, const void* data, int count) {
        XChangeProperty(display, window, XInternAtom(display, name, False), XInternAtom(display, type, False), format,
                        PropModeReplace, static_cast<const unsigned char*>(data), count);
    }
    Atom atom(const char* name) { return XInternAtom(display, name, False); }

    std::unique_ptr<XvfbServer> server;
    Display* display = nullptr;
    Window window = None;
};

TEST_F(WindowProperties, TextKeepsEmbeddedNulsAndHonoursTheAskedType) {
    set("WM_CLASS", "STRING", 8, "tessivar\0Tessivar\0", 18);
    EXPECT_EQ(textProperty(display, window, "WM_CLASS"), std::string("tessivar\0Tessivar\0", 18));
    EXPECT_EQ(textProperty(display, window, "WM_CLASS", XA_STRING), std::string("tessivar\0Tessivar\0", 18));
    EXPECT_FALSE(textProperty(display, window, "WM_CLASS", atom("UTF8_STRING"))) << "wrong type";
    EXPECT_FALSE(textProperty(display, window, "TESSIVAR_UNSET"));

    const long numbers[] = {1, 2};
    set("TESSIVAR_NUMBERS", "CARDINAL", 32, numbers, 2);
    EXPECT_FALSE(textProperty(display, window, "TESSIVAR_NUMBERS")) << "32-bit items are no text";
}

TEST_F(WindowProperties, ThirtyTwoBitItemsComeBackAsStoredNotSignExtended) {
    // Xlib takes format-32 items as C longs and gives them back so, sign-extended from 32 bits.
    const long values[] = {static_cast<long>(static_cast<int>(0x96969696u)), 7};
    set("_NET_WM_WINDOW_OPACITY", "CARDINAL", 32, values, 2);
    EXPECT_EQ(property32(display, window, "_NET_WM_WINDOW_OPACITY", XA_CARDINAL),
              (std::vector<std::uint32_t>{0x96969696u, 7u}));
    EXPECT_FALSE(property32(display, window, "_NET_WM_WINDOW_OPACITY", XA_ATOM)) << "wrong type";

    set("TESSIVAR_TEXT", "STRING", 8, "abcd", 4);
    EXPECT_FALSE(property32(display, window, "TESSIVAR_TEXT", AnyPropertyType)) << "8-bit items are no numbers";
}

TEST_F(WindowProperties, PresenceOfAnyTypeAndTheTitleFromEitherName) {
    EXPECT_FALSE(hasProperty(display, window, "WM_NAME"));
    EXPECT_EQ(windowTitle(display, window), "");

    set("WM_NAME", "STRING", 8, "legacy", 6);
    EXPECT_TRUE(hasProperty(display, window, "WM_NAME"));
    EXPECT_EQ(windowTitle(display, window), "legacy");

    set("_NET_WM_NAME", "UTF8_STRING", 8, "\xc3\xa9t\xc3\xa9", 5);
    EXPECT_EQ(windowTitle(display, window), "\xc3\xa9t\xc3\xa9") << "_NET_WM_NAME comes first";
    EXPECT_EQ(parentOf(display, window), DefaultRootWindow(display));
}

// A 4 x 3 image, lit where the pattern says so; row 0 of the pattern is the top, as on screen.
struct PatternImage {
    std::vector<std::string> rows = {"#..#", "..#.", "#..."};
    Rgb at(int x, int y) const { return rows[rows.size() - 1 - y][x] == '#' ? Rgb{255, 255, 255} : Rgb{}; }
};

TEST(FindPixels, CountsAndBoundsThePassingPixelsOfAnInclusiveBoxInGlCoordinates) {
    const PatternImage image;
    const LitArea all = findPixels(image, {0, 0, 3, 2}, isWhite);
    EXPECT_EQ(all.count, 4);
    EXPECT_EQ(all.minX, 0);
    EXPECT_EQ(all.maxX, 3);
    EXPECT_EQ(all.minY, 0);
    EXPECT_EQ(all.maxY, 2);

    const LitArea corner = findPixels(image, {2, 1, 3, 2}, isWhite);
    EXPECT_EQ(corner.count, 2) << "both ends of the box belong to it";
    EXPECT_EQ(corner.minX, 2);
    EXPECT_EQ(corner.minY, 1);
    EXPECT_EQ(corner.maxX, 3);
    EXPECT_EQ(corner.maxY, 2);

    EXPECT_EQ(findPixels(image, around(1, 1, 0), isWhite).count, 0);
    EXPECT_EQ(findPixels(image, around(1, 1, 1), isNearBlack).count, 6);
}

} // namespace
