// Translucency under real window managers and a compositor: the program, and keyed_window (a small
// layered program whose picture has a known key area), on a private Xvfb with openbox, xfwm4 or
// xcompmgr. The frames keep their decorations and take clicks; under the compositor the screen shows
// the window blended at 150/255 over what is behind it, and key pixels show and pass clicks through.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "child_process.h"
#include "gauge_image.h"
#include "png_writer.h"
#include "x11_properties.h"
#include "x11_windows.h"
#include "x_session.h"
#include "xvfb_server.h"

#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <cmath>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <thread>

namespace {

const std::string gaugeTitle = "Tessivar - tessivar.example.org";
const std::string keyedTitle = "keyed window";
const std::string noCompositorLine = "no compositing manager owns _NET_WM_CM_S0";
constexpr int gaugeSide = 600;
constexpr double startSeconds = 10.0;
constexpr double exitSeconds = 5.0;

// What the root window shows behind everything, and a window of the test's own below the keyed one.
const Rgb background{40, 160, 90};
const Rgb below{200, 200, 40};

using Clock = std::chrono::steady_clock;

bool waitUntil(const std::function<bool()>& done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return true;
}

// A colour composited at opacity 150 over another: what a compositor shows for one pixel of the window.
Rgb blend(Rgb window, Rgb behind) {
    auto channel = [](int w, int b) { return (w * 150 + b * 105 + 127) / 255; };
    return {channel(window.r, behind.r), channel(window.g, behind.g), channel(window.b, behind.b)};
}

::testing::AssertionResult near(Rgb actual, Rgb expected, const char* what) {
    if (std::abs(actual.r - expected.r) <= 2 && std::abs(actual.g - expected.g) <= 2 &&
        std::abs(actual.b - expected.b) <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << what << ": (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << ") instead of (" << expected.r << ", " << expected.g << ", " << expected.b
                                         << ") within 2";
}

unsigned long pixelOf(Display* display, Rgb c) {
    XColor colour = {};
    colour.red = static_cast<unsigned short>(c.r * 257);
    colour.green = static_cast<unsigned short>(c.g * 257);
    colour.blue = static_cast<unsigned short>(c.b * 257);
    XAllocColor(display, DefaultColormap(display, DefaultScreen(display)), &colour);
    return colour.pixel;
}

// The left, right, top and bottom frame widths a window manager announced; all zero without a frame.
std::array<long, 4> frameExtents(Display* display, Window window) {
    std::array<long, 4> extents = {0, 0, 0, 0};
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4, False, XA_CARDINAL,
                           &type, &format, &count, &remaining, &data) == Success &&
        data && count == 4 && format == 32) {
        const long* values = reinterpret_cast<const long*>(data);
        for (int i = 0; i < 4; ++i) extents[i] = values[i];
    }
    if (data) XFree(data);
    return extents;
}

bool framed(const std::array<long, 4>& e) { return e[0] > 0 || e[1] > 0 || e[2] > 0 || e[3] > 0; }

// The number of rectangles of a window's bounding or input shape; 1 for an unshaped window.
int shapeRectangles(Display* display, Window window, int kind) {
    int count = 0;
    int ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display, window, kind, &count, &ordering);
    if (rects) XFree(rects);
    return count;
}

bool boundingShaped(Display* display, Window window) {
    int bounding = 0;
    int clip = 0;
    int unused = 0;
    unsigned unsignedUnused = 0;
    XShapeQueryExtents(display, window, &bounding, &unused, &unused, &unsignedUnused, &unsignedUnused, &clip, &unused,
                       &unused, &unsignedUnused, &unsignedUnused);
    return bounding != 0;
}

class TranslucencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = XvfbServer::start();
        ASSERT_TRUE(server_) << "Xvfb did not start";
        x_ = XSession::open(server_->displayName());
        ASSERT_TRUE(x_) << "no XTest connection";
        scratch_ = std::filesystem::temp_directory_path() / ("tessivar-wm-" + std::to_string(getpid()));
        std::filesystem::create_directories(scratch_);
    }

    void TearDown() override {
        if (HasFailure()) saveScreen();
        programs_.clear();
        helpers_.clear();
        x_.reset();
        server_.reset();
        std::filesystem::remove_all(scratch_);
    }

    Display* display() const { return x_->display(); }
    Window root() const { return DefaultRootWindow(display()); }

    std::unique_ptr<ChildProcess> launch(std::vector<std::string> argv, const std::string& output,
                                         bool ownProcessGroup = false) {
        LaunchOptions options;
        options.argv = std::move(argv);
        options.ownProcessGroup = ownProcessGroup;
        options.environment["DISPLAY"] = server_->displayName();
        options.workingDirectory = scratch_.string();
        options.outputPath = (scratch_ / output).string();
        return ChildProcess::launch(options);
    }

    // A window manager or compositor, stopped at the end of the test with whatever it started (a
    // session bus, a desktop).
    void startHelper(std::vector<std::string> argv) {
        helpers_.push_back(launch(std::move(argv), "helper" + std::to_string(helpers_.size()) + ".txt", true));
        ASSERT_TRUE(helpers_.back());
    }

    ChildProcess* startProgram(const std::string& path) {
        programs_.push_back(launch({path}, "program" + std::to_string(programs_.size()) + ".txt"));
        return programs_.back().get();
    }

    // Waits for the window manager to announce itself on the root window.
    ::testing::AssertionResult waitForWindowManager() {
        if (waitUntil([&] { return hasProperty(display(), root(), "_NET_SUPPORTING_WM_CHECK"); }, startSeconds))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no window manager announced itself";
    }

    ::testing::AssertionResult waitForCompositor() {
        const Atom selection = XInternAtom(display(), "_NET_WM_CM_S0", False);
        if (waitUntil([&] { return XGetSelectionOwner(display(), selection) != None; }, startSeconds))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "no compositing manager took _NET_WM_CM_S0";
    }

    Window waitForTitle(const std::string& title) { return waitForWindow(display(), title, startSeconds); }

    // What became of the program last started, for a window that did not show up.
    std::string lastProgramState() {
        if (programs_.empty()) return "no program started";
        ChildProcess& program = *programs_.back();
        const std::optional<int> status = program.waitForExit(0);
        const std::string state = status ? "the program ended with status " + std::to_string(*status)
                                         : std::string("the program is still running");
        return state + "; it said: " + program.output();
    }

    std::array<long, 4> waitForFrame(Window window) {
        std::array<long, 4> extents = {};
        waitUntil(
            [&] {
                extents = frameExtents(display(), window);
                return framed(extents);
            },
            startSeconds);
        return extents;
    }

    // The root window's pixel at a screen point: what is on screen, composited or not.
    Rgb screenPixel(int x, int y) {
        const auto image = captureScreenArea(display(), {static_cast<short>(x), static_cast<short>(y), 1, 1});
        if (!image) return {-1, -1, -1};
        return {image->rgb[0], image->rgb[1], image->rgb[2]};
    }

    // A solid root background, also as the pixmap that compositors paint behind everything.
    void setBackground(Rgb colour) {
        const int screen = DefaultScreen(display());
        const Pixmap pixmap = XCreatePixmap(display(), root(), 8, 8, DefaultDepth(display(), screen));
        GC gc = XCreateGC(display(), pixmap, 0, nullptr);
        XSetForeground(display(), gc, pixelOf(display(), colour));
        XFillRectangle(display(), pixmap, gc, 0, 0, 8, 8);
        XFreeGC(display(), gc);
        XSetWindowBackgroundPixmap(display(), root(), pixmap);
        XClearWindow(display(), root());
        XChangeProperty(display(), root(), XInternAtom(display(), "_XROOTPMAP_ID", False), XA_PIXMAP, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap), 1);
        XSync(display(), False);
    }

    // A window of the test's own that no window manager handles, to catch clicks that pass through.
    Window makeWindowBelow(int x, int y, int side, Rgb colour) {
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = True;
        attributes.background_pixel = pixelOf(display(), colour);
        attributes.event_mask = ButtonPressMask;
        const Window window =
            XCreateWindow(display(), root(), x, y, side, side, 0, CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
        XMapWindow(display(), window);
        XSync(display(), False);
        return window;
    }

    bool clickReached(Window window) {
        XEvent event;
        return waitUntil([&] { return XCheckWindowEvent(display(), window, ButtonPressMask, &event) == True; }, 1.0);
    }

    void clickAt(int x, int y) {
        x_->moveTo(root(), {x, y});
        x_->pressButton(Button1);
        x_->releaseButton(Button1);
    }

    std::string output(const ChildProcess* program) const {
        for (const auto& p : programs_)
            if (p.get() == program) return p->output();
        return "";
    }

    void saveScreen() {
        if (!x_) return;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string stem =
            std::string(E2E_ARTIFACT_DIR) + "/failed-" + info->test_suite_name() + "." + info->name();
        if (auto screen = x_->captureScreen()) writePngFile(*screen, stem + "-screen.png");
        std::ofstream log(stem + ".log");
        for (const auto& p : programs_) log << p->output() << "\n----\n";
    }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<XSession> x_;
    std::filesystem::path scratch_;
    std::vector<std::unique_ptr<ChildProcess>> helpers_;
    std::vector<std::unique_ptr<ChildProcess>> programs_;
};

// ---- Window managers -----------------------------------------------------------------------------

class UnderOpenbox : public TranslucencyTest {
protected:
    void SetUp() override {
        TranslucencyTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(startHelper({"/usr/bin/openbox"}));
        ASSERT_TRUE(waitForWindowManager());
    }

    // The middle of openbox's close button, the rightmost of its title bar.
    WindowPoint closeButton(Window window, const std::array<long, 4>& extents) {
        const auto area = windowRect(display(), window);
        return {area->x + area->width + static_cast<int>(extents[1]) - 10, area->y - static_cast<int>(extents[2]) / 2};
    }
};

TEST_F(UnderOpenbox, TheGaugesCloseButtonEndsItWithStatus0) {
    ChildProcess* gauge = startProgram(TESSIVAR_BINARY);
    const Window window = waitForTitle(gaugeTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    const auto extents = waitForFrame(window);
    ASSERT_TRUE(framed(extents)) << "openbox gave the gauge no frame";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const WindowPoint close = closeButton(window, extents);
    clickAt(close.x, close.y);
    EXPECT_EQ(gauge->waitForExit(exitSeconds), std::optional(0)) << "the close button did not end the gauge";

    // Without a compositor the one line saying so, once.
    const std::string said = output(gauge);
    const size_t first = said.find(noCompositorLine);
    EXPECT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find(noCompositorLine, first + 1), std::string::npos) << "said more than once: " << said;
}

TEST_F(UnderOpenbox, DraggingTheGaugesTitleBarMovesIt) {
    startProgram(TESSIVAR_BINARY);
    const Window window = waitForTitle(gaugeTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    const auto extents = waitForFrame(window);
    ASSERT_TRUE(framed(extents));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto before = windowRect(display(), window);
    ASSERT_TRUE(before);
    const WindowPoint grab = {before->x + 150, before->y - static_cast<int>(extents[2]) / 2};
    x_->drag(root(), Button1, grab, {grab.x + 120, grab.y + 80});
    std::optional<XRectangle> after;
    EXPECT_TRUE(waitUntil(
        [&] {
            after = windowRect(display(), window);
            return after && after->x == before->x + 120 && after->y == before->y + 80;
        },
        3.0))
        << "from (" << before->x << ", " << before->y << ") to (" << (after ? after->x : -1) << ", "
        << (after ? after->y : -1) << ") instead of +120, +80";
}

// With key pixels on screen the window is shaped; the frame openbox builds from that shape must still
// take clicks, and the key pixels pass them to what is below.
TEST_F(UnderOpenbox, AKeyedWindowKeepsAClickableFrameAndPassesClicksThroughItsKey) {
    const Window catcher = makeWindowBelow(180, 200, 40, below);
    ChildProcess* keyed = startProgram(KEYED_WINDOW_BINARY);
    const Window window = waitForTitle(keyedTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    const auto extents = waitForFrame(window);
    ASSERT_TRUE(framed(extents)) << "openbox gave the shaped window no frame";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto area = windowRect(display(), window);
    ASSERT_TRUE(area);

    // The middle of the key square, over the catcher window: shows it and passes the click to it.
    const int keyX = area->x + 100;
    const int keyY = area->y + 100;
    ASSERT_LE(keyX, 210);
    ASSERT_GE(keyX, 190);
    EXPECT_TRUE(near(screenPixel(keyX, keyY), below, "key pixel over the window below"));
    clickAt(keyX, keyY);
    EXPECT_TRUE(clickReached(catcher)) << "a click on a key pixel did not pass through";
    clickAt(area->x + 25, area->y + 25);
    EXPECT_TRUE(waitUntil([&] { return output(keyed).find("click 25 25") != std::string::npos; }, 2.0))
        << "a click on the red square did not reach the window: " << output(keyed);

    const WindowPoint close = closeButton(window, extents);
    clickAt(close.x, close.y);
    EXPECT_EQ(keyed->waitForExit(exitSeconds), std::optional(0)) << "the close button of a shaped window is dead";
}

// A window manager that starts after the program finds it unshaped (nothing keyed) and frames it.
TEST_F(TranslucencyTest, Xfwm4StartedAfterTheGaugeFramesIt) {
    startProgram(TESSIVAR_BINARY);
    const Window window = waitForTitle(gaugeTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int boundingShaped = 0;
    int clipShaped = 0;
    int unused = 0;
    unsigned unsignedUnused = 0;
    XShapeQueryExtents(display(), window, &boundingShaped, &unused, &unused, &unsignedUnused, &unsignedUnused,
                       &clipShaped, &unused, &unused, &unsignedUnused, &unsignedUnused);
    EXPECT_FALSE(boundingShaped) << "a shape with no key pixel on screen";

    // NOTE: xfwm4 reads its settings over D-Bus and refuses to run without a session bus.
    ASSERT_NO_FATAL_FAILURE(startHelper({"/usr/bin/dbus-run-session", "--", "/usr/bin/xfwm4"}));
    const auto extents = waitForFrame(window);
    EXPECT_TRUE(framed(extents)) << "xfwm4 gave the gauge no frame: " << extents[0] << " " << extents[1] << " "
                                 << extents[2] << " " << extents[3];
}

// ---- Compositor ----------------------------------------------------------------------------------

// Desktops beyond the build's own packages (scripts/desktop-tests.sh installs them) are skipped where
// missing, unless TESSIVAR_REQUIRE_DESKTOPS=1 makes that a failure.
::testing::AssertionResult installed(const std::string& path) {
    if (access(path.c_str(), X_OK) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << path << " is not installed";
}

bool desktopsRequired() {
    const char* required = std::getenv("TESSIVAR_REQUIRE_DESKTOPS");
    return required && std::string(required) == "1";
}

#define SKIP_UNLESS_INSTALLED(path)                                                                                    \
    do {                                                                                                               \
        if (!installed(path)) {                                                                                        \
            if (desktopsRequired()) FAIL() << installed(path).message();                                               \
            GTEST_SKIP() << installed(path).message();                                                                 \
        }                                                                                                              \
    } while (false)

// The X compositors that run alone: xcompmgr, and picom with its XRender backend.
class UnderXcompmgr : public TranslucencyTest, public ::testing::WithParamInterface<std::vector<std::string>> {
protected:
    void SetUp() override {
        SKIP_UNLESS_INSTALLED(GetParam().front());
        TranslucencyTest::SetUp();
        setBackground(background);
    }
    void startCompositor() {
        ASSERT_NO_FATAL_FAILURE(startHelper(GetParam()));
        ASSERT_TRUE(waitForCompositor());
    }
};

// A point on the red ray, which starts at rest from the vertex to the right: of the two rows a line at
// an integer y lights, the brighter.
struct RayPoint {
    int x = 400;
    int y = 0;
};

RayPoint brighterRayRow(const GaugeImage& raw) {
    RayPoint point;
    point.y = raw.at(point.x, 299).r >= raw.at(point.x, 300).r ? 299 : 300;
    return point;
}

TEST_P(UnderXcompmgr, TheScreenShowsTheGaugeAt150Over255OverTheBackground) {
    // Without a compositor: the gauge's own colours.
    ChildProcess* first = startProgram(TESSIVAR_BINARY);
    Window window = waitForTitle(gaugeTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    ASSERT_TRUE(waitUntil([&] { return screenPixel(50 + 300, 50 + 300).r > 200; }, startSeconds)) << "no frame";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto rawImage = x_->captureWindow(window);
    ASSERT_TRUE(rawImage && rawImage->width == gaugeSide);
    const GaugeImage raw(*rawImage);
    // At rest the picture does not change: everything but the frame-rate text is the same in every frame
    // and every run, so these colours are the gauge's own under the compositor too.
    const RayPoint points = brighterRayRow(raw);
    ASSERT_TRUE(isYellow(raw.at(300, 300))) << "vertex marker (over the other two)";
    ASSERT_GT(raw.at(points.x, points.y).r, 100) << "red ray";

    auto checkBlend = [&](const char* how) {
        auto onScreen = [&](int x, int y) { return screenPixel(50 + x, 50 + gaugeSide - 1 - y); };
        EXPECT_TRUE(near(onScreen(150, 150), blend({0, 0, 0}, background), how)) << "black background";
        EXPECT_TRUE(near(onScreen(points.x, points.y), blend(raw.at(points.x, points.y), background), how))
            << "red ray";
        EXPECT_TRUE(near(onScreen(300, 300), blend(raw.at(300, 300), background), how)) << "vertex marker";
    };

    // A compositor starting later blends the running gauge exactly: at once by the hint over the opaque
    // frame, and within a second (when the layer has seen the compositor) with key pixels cleared too.
    ASSERT_NO_FATAL_FAILURE(startCompositor());
    const Rgb blendedRay = blend(raw.at(points.x, points.y), background);
    ASSERT_TRUE(waitUntil(
        [&] { return near(screenPixel(50 + points.x, 50 + gaugeSide - 1 - points.y), blendedRay, ""); }, startSeconds))
        << "the compositor never blended the running gauge";
    checkBlend("gauge started before the compositor");
    ASSERT_TRUE(sendDeleteWindow(display(), window));
    ASSERT_EQ(first->waitForExit(exitSeconds), std::optional(0));

    // A gauge started under the compositor: on its 32-bit visual from the first frame.
    ChildProcess* later = startProgram(TESSIVAR_BINARY);
    window = waitForTitle(gaugeTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    const Rgb blendedYellow = blend(raw.at(300, 300), background);
    ASSERT_TRUE(waitUntil([&] { return near(screenPixel(50 + 300, 50 + 299), blendedYellow, ""); }, startSeconds))
        << "no blended frame from the gauge started under the compositor";
    XWindowAttributes attributes = {};
    ASSERT_TRUE(XGetWindowAttributes(display(), window, &attributes));
    EXPECT_EQ(attributes.depth, 32);
    checkBlend("gauge started under the compositor");
    EXPECT_EQ(output(later).find(noCompositorLine), std::string::npos) << output(later);
}

// A layered window is made on a 32-bit visual with or without a compositor, so one that starts later
// can blend it by its own alpha; a window manager frames it like any other.
TEST_F(UnderOpenbox, TheGaugesWindowHasA32BitVisualWithoutACompositor) {
    startProgram(TESSIVAR_BINARY);
    const Window window = waitForTitle(gaugeTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    XWindowAttributes attributes = {};
    ASSERT_TRUE(XGetWindowAttributes(display(), window, &attributes));
    EXPECT_EQ(attributes.depth, 32);
    EXPECT_TRUE(framed(waitForFrame(window)));
}

// Key pixels show what is behind and pass clicks to it; the rest is blended and takes clicks. Alpha 0
// in the window's own alpha and cut out of the input shape only: no bounding shape under a compositor.
TEST_P(UnderXcompmgr, KeyPixelsShowAndPassClicksToWhatIsBehind) {
    ASSERT_NO_FATAL_FAILURE(startCompositor());
    const Window catcher = makeWindowBelow(190, 190, 20, below); // under the key square's middle
    {
        ChildProcess* keyed = startProgram(KEYED_WINDOW_BINARY);
        const Window window = waitForTitle(keyedTitle);
        ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
        const Rgb blendedRed = blend({255, 0, 0}, background);
        ASSERT_TRUE(waitUntil([&] { return near(screenPixel(125, 125), blendedRed, ""); }, startSeconds))
            << "no blended frame";

        EXPECT_TRUE(near(screenPixel(200, 200), below, "key pixel over the window below"));
        EXPECT_TRUE(near(screenPixel(165, 165), background, "key pixel over the background"));
        EXPECT_TRUE(near(screenPixel(150, 250), blend({0, 0, 0}, background), "black"));
        EXPECT_TRUE(near(screenPixel(125, 125), blendedRed, "red"));

        clickAt(200, 200);
        EXPECT_TRUE(clickReached(catcher)) << "a click on a key pixel did not pass through";
        clickAt(125, 125);
        EXPECT_TRUE(waitUntil([&] { return output(keyed).find("click 25 25") != std::string::npos; }, 2.0))
            << "a click on the red square did not reach the window: " << output(keyed);
        EXPECT_EQ(output(keyed).find("click 100 100"), std::string::npos) << "the key took a click";
        EXPECT_FALSE(boundingShaped(display(), window)) << "a bounding shape under a compositor";
        XWindowAttributes attributes = {};
        ASSERT_TRUE(XGetWindowAttributes(display(), window, &attributes));
        EXPECT_EQ(attributes.depth, 32);
        ASSERT_TRUE(sendDeleteWindow(display(), window));
        ASSERT_EQ(keyed->waitForExit(exitSeconds), std::optional(0));
        ASSERT_TRUE(waitUntil([&] { return waitForWindow(display(), keyedTitle, 0.0) == None; }, exitSeconds));
    }
}

INSTANTIATE_TEST_SUITE_P(Compositors, UnderXcompmgr,
                         ::testing::Values(std::vector<std::string>{"/usr/bin/xcompmgr"},
                                           std::vector<std::string>{"/usr/bin/picom", "--backend", "xrender"}),
                         [](const auto& info) { return info.index == 0 ? "xcompmgr" : "picom"; });

// ---- Desktops ------------------------------------------------------------------------------------

// The gauge's vertex on the screen, and the point at `degrees` (counter-clockwise from the right) and
// `radius` from it.
WindowPoint pointAt(const XRectangle& client, double degrees, int radius) {
    const double radians = degrees * M_PI / 180.0;
    return {client.x + 300 + static_cast<int>(std::lround(radius * std::cos(radians))),
            client.y + 300 - static_cast<int>(std::lround(radius * std::sin(radians)))};
}

// Whether the gauge's arm points at `degrees`: lit and colourless pixels on it at two distances from
// the vertex (inside the arc). A frame that moved during the drag leaves the arm several degrees off.
bool armPointsAt(const GaugeImage& image, double degrees) {
    const double radians = degrees * M_PI / 180.0;
    for (int radius : {45, 85}) {
        const int x = 300 + static_cast<int>(std::lround(radius * std::cos(radians)));
        const int y = 300 + static_cast<int>(std::lround(radius * std::sin(radians)));
        if (!image.any(around(x, y, 2), isGrey)) return false;
    }
    return true;
}

// KDE on X11: KWin drops the decoration of a window with a bounding shape. Key pixels (the turning
// gradient bar keys a few at most angles) leave only the input shape, so the title bar stays and a
// drag across keyed angles ends where the pointer asked.
class UnderKwin : public TranslucencyTest {
protected:
    void SetUp() override {
        SKIP_UNLESS_INSTALLED("/usr/bin/kwin_x11");
        TranslucencyTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(
            startHelper({"/usr/bin/dbus-run-session", "--", "/usr/bin/env", "KWIN_COMPOSE=O2", "QT_ACCESSIBILITY=0",
                         "NO_AT_BRIDGE=1", "/usr/bin/kwin_x11", "--replace"}));
        ASSERT_TRUE(waitForWindowManager());
        ASSERT_TRUE(waitForCompositor());
    }
};

TEST_F(UnderKwin, TheGaugeKeepsItsTitleBarAtKeyedAnglesAndADragEndsWhereThePointerAsked) {
    startProgram(TESSIVAR_BINARY);
    const Window window = waitForTitle(gaugeTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    const auto extents = waitForFrame(window);
    ASSERT_GT(extents[2], 0) << "KWin gave the gauge no title bar";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto client = windowRect(display(), window);
    ASSERT_TRUE(client);
    int keyedAngles = 0;
    for (double degrees : {10.0, 100.0, 170.0, 200.0}) {
        SCOPED_TRACE(degrees);
        // From a quarter turn back, across the angles between.
        x_->drag(root(), Button1, pointAt(*client, degrees - 90, 200), pointAt(*client, degrees, 200));
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        keyedAngles += shapeRectangles(display(), window, ShapeInput) > 1;
        EXPECT_FALSE(boundingShaped(display(), window)) << "a bounding shape under a compositor";
        EXPECT_EQ(frameExtents(display(), window), extents) << "the decoration changed";
        const auto now = windowRect(display(), window);
        ASSERT_TRUE(now);
        EXPECT_TRUE(now->x == client->x && now->y == client->y) << "the client area moved";
        const auto image = x_->captureWindow(window);
        ASSERT_TRUE(image);
        EXPECT_TRUE(armPointsAt(GaugeImage(*image), degrees)) << "the arm does not point where the pointer asked";
    }
    EXPECT_GT(keyedAngles, 0) << "no angle tried keyed a pixel: the test saw no input shape";
}

// GNOME on X11: mutter frames the window and composites it by its own alpha. Key pixels show what is
// behind; a click on them still lands on mutter's frame (see the README), so only the rest is checked.
class UnderMutter : public TranslucencyTest {
protected:
    void SetUp() override {
        SKIP_UNLESS_INSTALLED("/usr/bin/mutter");
        TranslucencyTest::SetUp();
        setBackground(background);
        ASSERT_NO_FATAL_FAILURE(startHelper({"/usr/bin/dbus-run-session", "--", "/usr/bin/env", "NO_AT_BRIDGE=1",
                                             "/usr/bin/mutter", "--x11", "--replace"}));
        ASSERT_TRUE(waitForWindowManager());
        ASSERT_TRUE(waitForCompositor());
    }
};

TEST_F(UnderMutter, AKeyedWindowKeepsItsFrameBlendsAndShowsWhatIsBehindItsKey) {
    // mutter paints a background of its own over the root's and keeps windows that no window manager
    // handles above all others: a managed window of the test's own, mapped first, is what the keyed
    // window is blended over.
    XSetWindowAttributes attributes = {};
    attributes.background_pixel = pixelOf(display(), below);
    const Window behind = XCreateWindow(display(), root(), 0, 0, 800, 700, 0, CopyFromParent, InputOutput,
                                        CopyFromParent, CWBackPixel, &attributes);
    XMapWindow(display(), behind);
    XSync(display(), False);
    ASSERT_TRUE(framed(waitForFrame(behind)));
    startProgram(KEYED_WINDOW_BINARY);
    const Window window = waitForTitle(keyedTitle);
    ASSERT_NE(window, static_cast<Window>(None)) << lastProgramState();
    ASSERT_GT(waitForFrame(window)[2], 0) << "mutter gave the keyed window no title bar";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto area = windowRect(display(), window);
    ASSERT_TRUE(area);
    const Rgb blendedRed = blend({255, 0, 0}, below);
    ASSERT_TRUE(waitUntil([&] { return near(screenPixel(area->x + 25, area->y + 25), blendedRed, ""); }, startSeconds))
        << "no blended frame";
    EXPECT_TRUE(near(screenPixel(area->x + 100, area->y + 100), below, "key pixel over the window below"));
    EXPECT_TRUE(near(screenPixel(area->x + 50, area->y + 150), blend({0, 0, 0}, below), "black"));
    EXPECT_FALSE(boundingShaped(display(), window)) << "a bounding shape under a compositor";
    EXPECT_GT(shapeRectangles(display(), window, ShapeInput), 1) << "key pixels not cut out of the input shape";
    clickAt(area->x + 25, area->y + 25);
    EXPECT_TRUE(waitUntil([&] { return output(programs_.back().get()).find("click 25 25") != std::string::npos; }, 2.0))
        << "a click on the red square did not reach the window";
}

} // namespace
