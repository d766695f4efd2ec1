// End-to-end: the program's keys under other keyboard layouts, set with setxkbmap on a private Xvfb.
// Windows gives the keys labelled I and X the codes of I and X on a Russian keyboard, and Dvorak's own
// letters on Dvorak, so the same keys have to work here.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "child_process.h"
#include "gauge_scene.h"
#include "png_writer.h"
#include "x11_windows.h"
#include "x_session.h"
#include "xvfb_server.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <unistd.h>

namespace {

using gauge::fpsText;
using gauge::side;
using gauge::vertexCoordText;

constexpr double startTimeoutSeconds = 10.0;
constexpr double frameTimeoutSeconds = 5.0;
constexpr double exitTimeoutSeconds = 5.0;

// With every point at the vertex the coordinates are written just below and right of it; the frame
// rate stays in the top-left corner whatever I does.
bool coordinatesShown(const GaugeImage& f) { return f.count(vertexCoordText, isYellow) >= 10; }
bool coordinatesHidden(const GaugeImage& f) { return f.none(vertexCoordText, isLit) && f.count(fpsText, isCyan) >= 20; }

class KeyboardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = XvfbServer::start();
        ASSERT_TRUE(server_) << "Xvfb did not start";
        x_ = XSession::open(server_->displayName());
        ASSERT_TRUE(x_) << "no XTest connection";
        // The physical keys, found by their US letters while the server still has its default layout.
        for (KeySym keysym : {XK_i, XK_x, XK_g, XK_b, XK_Control_L}) {
            keycodes_[keysym] = XKeysymToKeycode(x_->display(), keysym);
            ASSERT_NE(keycodes_[keysym], 0) << XKeysymToString(keysym) << " not on the default keymap";
        }
    }

    void TearDown() override {
        if (HasFailure() && lastFrame_.width > 0) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            writePngFile(lastFrame_, std::string(E2E_ARTIFACT_DIR) + "/failed-" + info->test_suite_name() + "." +
                                         info->name() + ".png");
        }
        gauge_.reset();
        x_.reset();
        server_.reset();
    }

    // Runs setxkbmap against our server; the server's keeper connection keeps the layout from being reset.
    void setLayout(const std::vector<std::string>& arguments) {
        const std::string setxkbmap = findOnPath("setxkbmap");
        ASSERT_FALSE(setxkbmap.empty()) << "setxkbmap is missing: scripts/deps.sh installs it";
        LaunchOptions options;
        options.argv = {setxkbmap, "-display", server_->displayName()};
        options.outputPath = std::string(E2E_ARTIFACT_DIR) + "/setxkbmap-output.txt";
        options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
        const auto process = ChildProcess::launch(options);
        ASSERT_TRUE(process);
        ASSERT_EQ(process->waitForExit(10.0), std::optional(0)) << "setxkbmap failed: " << process->output();
    }

    // Makes a group the active one, as a layout switch key would.
    void lockGroup(unsigned group) {
        ASSERT_TRUE(XkbLockGroup(x_->display(), XkbUseCoreKbd, group));
        XSync(x_->display(), False);
    }

    // The unshifted keysym of a physical key in a group, read fresh from the server.
    KeySym keysymOf(KeySym usKeysym, unsigned group) {
        XkbDescPtr xkb = XkbGetMap(x_->display(), XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
        if (!xkb) return NoSymbol;
        const KeyCode keycode = keycodes_[usKeysym];
        const KeySym keysym =
            static_cast<int>(group) < XkbKeyNumGroups(xkb, keycode) ? XkbKeySymEntry(xkb, keycode, 0, group) : NoSymbol;
        XkbFreeKeyboard(xkb, 0, True);
        return keysym;
    }

    void startGauge() {
        LaunchOptions options;
        options.argv = {TESSIVAR_BINARY};
        options.environment["DISPLAY"] = server_->displayName();
        gauge_ = ChildProcess::launch(options);
        ASSERT_TRUE(gauge_);
        window_ = waitForWindow(x_->display(), gauge::title, startTimeoutSeconds);
        ASSERT_NE(window_, static_cast<Window>(None)) << "no window; program said: " << gauge_->output();
        ASSERT_TRUE(waitForFrame(coordinatesShown, startTimeoutSeconds)) << "no first frame with coordinates";
        // There is no window manager: the keyboard focus follows the pointer.
        x_->moveTo(window_, {20, 300});
    }

    // Presses and releases the key found under the US keysym, with Control held if asked.
    void tapKey(KeySym usKeysym, bool withControl = false) {
        Display* display = x_->display();
        if (withControl) XTestFakeKeyEvent(display, keycodes_[XK_Control_L], True, CurrentTime);
        XTestFakeKeyEvent(display, keycodes_[usKeysym], True, CurrentTime);
        XTestFakeKeyEvent(display, keycodes_[usKeysym], False, CurrentTime);
        if (withControl) XTestFakeKeyEvent(display, keycodes_[XK_Control_L], False, CurrentTime);
        XSync(display, False);
    }

    bool waitForFrame(const std::function<bool(const GaugeImage&)>& check,
                      double timeoutSeconds = frameTimeoutSeconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
        for (;;) {
            auto image = x_->captureWindow(window_);
            if (image && image->width == side && image->height == side) {
                lastFrame_ = std::move(*image);
                if (check(GaugeImage(lastFrame_))) return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<XSession> x_;
    std::unique_ptr<ChildProcess> gauge_;
    std::map<KeySym, KeyCode> keycodes_;
    Window window_ = None;
    RgbImage lastFrame_;
};

TEST_F(KeyboardLayoutTest, RussianKeysLabelledIAndXHideCoordinatesAndQuit) {
    setLayout({"ru"});
    ASSERT_EQ(keysymOf(XK_i, 0), static_cast<KeySym>(XK_Cyrillic_sha)) << "the Russian layout is not in force";
    ASSERT_EQ(keysymOf(XK_x, 0), static_cast<KeySym>(XK_Cyrillic_che));
    startGauge();

    tapKey(XK_i);
    EXPECT_TRUE(waitForFrame(coordinatesHidden)) << "coordinates still shown after the I key (Cyrillic SHA)";
    tapKey(XK_i);
    EXPECT_TRUE(waitForFrame(coordinatesShown)) << "coordinates not back after a second I";

    tapKey(XK_x);
    EXPECT_FALSE(gauge_->waitForExit(0.3)) << "the X key alone quit";
    tapKey(XK_x, true);
    EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional(0)) << "Ctrl+X (Cyrillic CHE) did not quit";
}

TEST_F(KeyboardLayoutTest, TurkishKeyLabelledIHidesCoordinates) {
    setLayout({"tr"});
    ASSERT_EQ(keysymOf(XK_i, 0), static_cast<KeySym>(XK_idotless)) << "the Turkish layout is not in force";
    startGauge();
    tapKey(XK_i);
    EXPECT_TRUE(waitForFrame(coordinatesHidden)) << "coordinates still shown after the I key (dotless i)";
    tapKey(XK_x, true);
    EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional(0)) << "Ctrl+X did not quit";
}

TEST_F(KeyboardLayoutTest, FollowsGroupSwitchesAndLayoutChangesWhileRunning) {
    startGauge(); // on the default US layout

    // Russian first and English second, with English active: the group comes with each key event.
    setLayout({"-layout", "ru,us"});
    lockGroup(1);
    tapKey(XK_i);
    EXPECT_TRUE(waitForFrame(coordinatesHidden)) << "I of the second group (us) did nothing";

    // A new keymap while running: Dvorak as the active second group, where i is on the US G key and
    // the US I key types c.
    setLayout({"-layout", "us,us", "-variant", ",dvorak"});
    lockGroup(1);
    ASSERT_EQ(keysymOf(XK_g, 1), static_cast<KeySym>(XK_i)) << "Dvorak is not the second group";
    tapKey(XK_i);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(waitForFrame(coordinatesHidden, 0.0)) << "Dvorak's c acted as I";
    tapKey(XK_g);
    EXPECT_TRUE(waitForFrame(coordinatesShown)) << "Dvorak's i did not show the coordinates again";

    tapKey(XK_x, true);
    EXPECT_FALSE(gauge_->waitForExit(0.3)) << "Ctrl with the US X key (Dvorak q) quit";
    tapKey(XK_b, true);
    EXPECT_EQ(gauge_->waitForExit(exitTimeoutSeconds), std::optional(0)) << "Ctrl with Dvorak's x did not quit";
}

} // namespace
