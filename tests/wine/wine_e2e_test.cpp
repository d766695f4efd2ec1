// Both Windows builds under Wine on a private Xvfb (x86_64 by wine64, the shipped i686 one by wine32), driven with
// XTest and judged by their pixels like the Linux build (tests/e2e, the same judgements), and one scripted session
// on the Linux build and each Windows build compared pixel for pixel.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "client_area_diff.h"
#include "gauge_scene.h"
#include "png_writer.h"
#include "wine_fixture.h"
#include "wine_program.h"
#include "wine_window.h"
#include "x11_capture.h"
#include "x11_properties.h"
#include "x11_windows.h"
#include "xvfb_server.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

using namespace gauge;

constexpr double frameTimeoutSeconds = 5.0;
// A frame redrawn after the last input event has nothing left to change but the frame rate.
constexpr auto settleTime = std::chrono::milliseconds(300);
// 150/255 as the compositing manager reads it: 150 * 0xFFFFFFFF / 255.
constexpr std::uint32_t opacity150 = 0x96969696u;

// A file name: a parameterised test's name has slashes ("Builds/WineGauge.Name/i686").
std::string currentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

std::string artifactStem() { return std::string(WINE_ARTIFACT_DIR) + "/failed-" + currentTestName(); }

// Pictures from an earlier failed run would mislead once the test passes.
void removeFailureArtifacts() {
    const std::string stem = fs::path(artifactStem()).filename().string();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(WINE_ARTIFACT_DIR, error))
        if (entry.path().filename().string().rfind(stem, 0) == 0) fs::remove(entry.path(), error);
}

// One Windows build and the Wine loader that runs it.
struct WindowsBuild {
    std::string name;
    std::string exe;
    WineArch arch;
};

std::ostream& operator<<(std::ostream& out, const WindowsBuild& build) { return out << build.name; }

const WindowsBuild windowsBuilds[] = {
    {"x86_64", TESSIVAR_WINDOWS_EXE, WineArch::x86_64},
    {"i686", TESSIVAR_WINDOWS_SHIPPED_EXE, WineArch::i686},
};

class WineGauge : public WineFixture, public ::testing::WithParamInterface<WindowsBuild> {
protected:
    void SetUp() override {
        removeFailureArtifacts();
        setUpWine(GetParam().exe, TESSIVAR_WINE_PREFIX_SCRIPT);
    }

    void TearDown() override {
        if (HasFailure()) saveFailureArtifacts();
        view_.reset();
        program_.reset();
        tearDownWine();
    }

    std::string prefix() const { return scratch_ + "/prefix"; }

    // Starts the Windows build in a prefix of its own, with or without C:\windows\Fonts\arial.ttf, and waits for
    // its first frame.
    ::testing::AssertionResult startWine(bool withFace = true) {
        if (!makePrivatePrefix(wine_.basePrefix, prefix(), withFace))
            return ::testing::AssertionFailure() << "could not make a prefix from " << wine_.basePrefix;
        program_ = WineProgram::launch(wine_, GetParam().arch, prefix(), GetParam().exe, server_->displayName(),
                                       scratch_, scratch_ + "/wine-output.txt");
        if (!program_) return ::testing::AssertionFailure() << "could not start Wine";
        frame_ = waitForWindow(x_->display(), title, wineStartTimeoutSeconds);
        if (!frame_) return ::testing::AssertionFailure() << "no window; wine said: " << program_->process().output();
        const Window client = waitForWineClient(x_->display(), frame_, wineStartTimeoutSeconds);
        if (!client) return ::testing::AssertionFailure() << "the window has no client area";
        view_.emplace(*x_, client);
        if (!view_->waitFor(firstFrameDrawn, wineStartTimeoutSeconds))
            return ::testing::AssertionFailure() << "no first frame";
        return ::testing::AssertionSuccess();
    }

    std::optional<int> waitForExit() { return program_->process().waitForExit(wineExitTimeoutSeconds); }

    void saveFailureArtifacts() {
        const std::string stem = artifactStem();
        if (view_ && view_->lastCapture().width > 0) writePngFile(view_->lastCapture(), stem + ".png");
        if (x_)
            if (auto screen = x_->captureScreen()) writePngFile(*screen, stem + "-screen.png");
        if (program_) std::ofstream(stem + ".log") << program_->process().output();
    }

    std::unique_ptr<WineProgram> program_;
    Window frame_ = None;
    std::optional<View> view_;
};

TEST_P(WineGauge, ClientAreaIs600SquareAtTheRequestedPlaceAndTheWindowCarriesTheOpacity) {
    ASSERT_TRUE(startWine());
    Display* display = x_->display();
    const auto client = windowRect(display, view_->client());
    ASSERT_TRUE(client);
    EXPECT_EQ(client->width, side);
    EXPECT_EQ(client->height, side);
    const auto frame = windowRect(display, frame_);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->x, 50) << "the window (with Wine's frame) where CreateWindowEx put it";
    EXPECT_EQ(frame->y, 50);
    EXPECT_EQ(parentOf(display, frame_), DefaultRootWindow(display));

    EXPECT_EQ(property32(display, frame_, "_NET_WM_WINDOW_OPACITY", XA_CARDINAL),
              std::optional(std::vector<std::uint32_t>{opacity150}));
    EXPECT_TRUE(acceptsDeleteWindow(display, frame_));
}

// The face is the prefix's C:\windows\Fonts\arial.ttf: every label is drawn with it.
TEST_P(WineGauge, StartsWithAllPointsInTheMiddleAndEveryLabelDrawn) {
    ASSERT_TRUE(startWine());
    EXPECT_EQ(startFaults(view_->frame()), "");
}

TEST_P(WineGauge, DragsSetArmUpAndBaseRightWithAQuarterArcAndTheBarTurned) {
    ASSERT_TRUE(startWine());
    dragArmUpBaseRight(*x_, view_->client());
    ASSERT_TRUE(view_->waitFor(armUpBaseRightReached, frameTimeoutSeconds));
    EXPECT_EQ(armUpBaseRightFaults(view_->frame()), "");
}

TEST_P(WineGauge, KeyIHidesAndShowsTheCoordinates) {
    ASSERT_TRUE(startWine());
    dragArmUpBaseRight(*x_, view_->client());
    ASSERT_TRUE(view_->waitFor(armUpBaseRightReached, frameTimeoutSeconds));
    ASSERT_TRUE(coordinatesShown(view_->frame()));

    view_->typeKey(XK_i);
    EXPECT_TRUE(view_->waitFor(coordinatesHidden, frameTimeoutSeconds))
        << "coordinates still shown after I, or other text gone with them";
    view_->typeKey(XK_i);
    EXPECT_TRUE(view_->waitFor(coordinatesShown, frameTimeoutSeconds)) << "coordinates not back after a second I";
}

// Windows delivers Alt with a letter as WM_SYSKEYDOWN, which the program leaves to DefWindowProc: only the plain I
// toggles (as in the Linux build's test of the same name).
TEST_P(WineGauge, AltIAndAltVDoNothing) {
    ASSERT_TRUE(startWine());
    dragArmUpBaseRight(*x_, view_->client());
    ASSERT_TRUE(view_->waitFor(armUpBaseRightReached, frameTimeoutSeconds));
    ASSERT_TRUE(coordinatesShown(view_->frame()));

    view_->typeKey(XK_i, XK_Alt_L);
    view_->typeKey(XK_v, XK_Alt_L);
    view_->typeKey(XK_i);
    EXPECT_TRUE(view_->waitFor(coordinatesHidden, frameTimeoutSeconds))
        << "the plain I after Alt+I and Alt+V did not hide the coordinates";
    std::this_thread::sleep_for(settleTime);
    // One capture, a while after the last key: the state the keys left.
    EXPECT_TRUE(view_->waitFor(coordinatesHidden, 0.0)) << "coordinates shown again: Alt+I toggled them";
}

TEST_P(WineGauge, CtrlXExitsWithStatus0) {
    ASSERT_TRUE(startWine());
    view_->typeKey(XK_x, XK_Control_L);
    EXPECT_EQ(waitForExit(), std::optional(0)) << program_->process().output();
}

// What a window manager's close box sends.
TEST_P(WineGauge, DeleteWindowMessageExitsWithStatus0) {
    ASSERT_TRUE(startWine());
    ASSERT_TRUE(sendDeleteWindow(x_->display(), frame_));
    EXPECT_EQ(waitForExit(), std::optional(0)) << program_->process().output();
}

TEST_P(WineGauge, WithoutArialInTheFontsFolderRunsWithoutText) {
    ASSERT_TRUE(startWine(false));
    std::this_thread::sleep_for(settleTime);
    ASSERT_TRUE(view_->capture());
    EXPECT_EQ(silentFaults(view_->frame()), "");
    EXPECT_TRUE(program_->process().running());
}

// --- One session, two builds ---------------------------------------------------------------------------------

// What a step of the session acts on. Resizing differs between the two: ours is the client area itself, Wine's
// window adds its own frame around it.
struct Driver {
    XSession& x;
    View& view;
    std::function<void(int width, int height)> resizeClient;
};

// A step of the session: what the user does, and how the frame shows it has been done.
struct Step {
    std::string name;
    std::function<bool(Driver&)> act;
    std::function<bool(const GaugeImage&)> done;
};

bool markersAt(const GaugeImage& f, int armX, int armY, int baseX, int baseY) {
    return f.count(around(armX, armY, 3), isGreen) >= 14 && f.count(around(baseX, baseY, 3), isRed) >= 14;
}

bool drag(Driver& d, unsigned button, int fromX, int fromY, int toX, int toY) {
    d.x.drag(d.view.client(), button, {fromX, d.view.height() - fromY}, {toX, d.view.height() - toY});
    return true;
}

constexpr int resizedWidth = 700;
constexpr int resizedHeight = 500;

// No step ends with a ray on an axis: the base ray's label blinks there, with the pulse, which differs from run to
// run. The points stay clear of the labels drawn 165 and 200 px out along the rays, which would cover markers.
const std::vector<Step>& session() {
    static const std::vector<Step> steps = {
        {"drags",
         [](Driver& d) { return drag(d, Button1, 300, 350, 350, 400) && drag(d, Button3, 350, 300, 415, 330); },
         [](const GaugeImage& f) { return markersAt(f, 350, 400, 415, 330); }},
        {"coordinates-hidden",
         [](Driver& d) {
             d.view.typeKey(XK_i);
             return true;
         },
         [](const GaugeImage& f) { return f.none(vertexCoordText, isLit); }},
        {"reflex-angle",
         [](Driver& d) { return drag(d, Button1, 350, 400, 190, 220) && drag(d, Button3, 415, 330, 420, 500); },
         [](const GaugeImage& f) { return markersAt(f, 190, 220, 420, 500); }},
        {"coordinates-shown",
         [](Driver& d) {
             d.view.typeKey(XK_i);
             return true;
         },
         [](const GaugeImage& f) { return f.count(vertexCoordText, isYellow) >= 10; }},
        // A new size puts every point back in the middle of it, the base on the axis again; drags move them off.
        {"resized",
         [](Driver& d) {
             d.resizeClient(resizedWidth, resizedHeight);
             d.view.expectSize(resizedWidth, resizedHeight);
             return d.view.waitFor(
                        [](const GaugeImage& f) {
                            return f.count(around(350, 250, 3), isYellow) >= 14 &&
                                   f.count(around(350, 250, 3), isGreen) == 0;
                        },
                        frameTimeoutSeconds) &&
                    drag(d, Button1, 350, 300, 410, 350) && drag(d, Button3, 400, 250, 460, 275);
         },
         [](const GaugeImage& f) { return markersAt(f, 410, 350, 460, 275); }},
    };
    return steps;
}

// Plays the session on a program showing its first frame; the settled frame after each step.
::testing::AssertionResult playSession(Driver& driver, std::vector<RgbImage>& captures) {
    for (const Step& step : session()) {
        if (!step.act(driver)) return ::testing::AssertionFailure() << "step " << step.name << " could not be done";
        if (!driver.view.waitFor(step.done, frameTimeoutSeconds))
            return ::testing::AssertionFailure() << "step " << step.name << " never showed";
        std::this_thread::sleep_for(settleTime);
        if (!driver.view.capture() || !step.done(driver.view.frame()))
            return ::testing::AssertionFailure() << "step " << step.name << " did not stay";
        captures.push_back(driver.view.lastCapture());
    }
    return ::testing::AssertionSuccess();
}

// Both builds draw through the same Mesa, FreeType and FTGL here, so the only differences allowed are the frame
// rate's value and the colour key: Wine leaves pure blue on screen where our layer cuts it out of the window.
// Any other pixel that differs is a fault of one of the two Win32s under the program.
TEST_P(WineGauge, SameSessionGivesTheSamePixelsAsTheLinuxBuild) {
    // Ours runs in a directory where "c:/windows/Fonts/arial.ttf" names the very face file Wine's C: drive has.
    const fs::path ourDirectory = fs::path(scratch_) / "linux";
    fs::create_directories(ourDirectory / "c:/windows/Fonts");
    fs::create_symlink(fs::canonical(faceFileOf(wine_.basePrefix)), ourDirectory / "c:/windows/Fonts/arial.ttf");

    std::vector<RgbImage> ourCaptures;
    {
        LaunchOptions options;
        options.argv = {TESSIVAR_BINARY};
        options.workingDirectory = ourDirectory.string();
        options.outputPath = scratch_ + "/linux-output.txt";
        options.environment["DISPLAY"] = server_->displayName();
        auto ours = ChildProcess::launch(options);
        ASSERT_TRUE(ours);
        const Window window = waitForWindow(x_->display(), title, wineStartTimeoutSeconds);
        ASSERT_TRUE(window) << "no window from the Linux build: " << ours->output();
        View view(*x_, window);
        ASSERT_TRUE(view.waitFor(firstFrameDrawn, wineStartTimeoutSeconds));
        Driver driver{*x_, view, [&](int width, int height) {
                          XResizeWindow(x_->display(), window, width, height);
                          XSync(x_->display(), False);
                      }};
        ASSERT_TRUE(playSession(driver, ourCaptures)) << "on the Linux build";
        ours->terminate();
    }

    ASSERT_TRUE(startWine());
    std::vector<RgbImage> wineCaptures;
    Driver driver{*x_, *view_, [&](int width, int height) {
                      // Wine's frame keeps its border and caption: the window grows by what the client area grows.
                      const auto frame = windowRect(x_->display(), frame_);
                      const auto client = windowRect(x_->display(), view_->client());
                      if (!frame || !client) return;
                      XResizeWindow(x_->display(), frame_, frame->width + width - client->width,
                                    frame->height + height - client->height);
                      XSync(x_->display(), False);
                  }};
    ASSERT_TRUE(playSession(driver, wineCaptures)) << "under Wine";

    for (size_t i = 0; i < session().size(); ++i) {
        const std::string& step = session()[i].name;
        const ClientAreaDiff diff = compareClientAreas(ourCaptures[i], wineCaptures[i]);
        EXPECT_EQ(diff.differing, 0) << "after " << step << ":\n" << diff.examples;
        EXPECT_EQ(diff.keyedShownByOurs, 0) << "after " << step << ": colour-key pixels left in our window";
        const std::string stem = artifactStem() + "-" + step;
        if (diff.differing > 0 || diff.keyedShownByOurs > 0) {
            writePngFile(ourCaptures[i], stem + "-linux.png");
            writePngFile(wineCaptures[i], stem + "-wine.png");
            writePngFile(diff.picture, stem + "-diff.png");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, WineGauge, ::testing::ValuesIn(windowsBuilds),
                         [](const ::testing::TestParamInfo<WindowsBuild>& info) { return info.param.name; });

} // namespace
