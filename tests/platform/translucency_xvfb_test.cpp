// The GL side of translucency against a private Xvfb: the layer's own swap interval, the frame buffer
// following the window's size, and the per-pixel alpha pass under a compositor leaving the program's
// GL state as it was. Skipped where Xvfb (or, for the alpha pass, xcompmgr) is missing.

// gtest before Xlib, whose None macro would break gtest's internal::None.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "child_process.h"
#include "format_request.h"
#include "layer.h"
#include "xvfb_server.h"

namespace {

std::unique_ptr<XvfbServer> server;
std::unique_ptr<ChildProcess> compositor;

typedef int(GAUGE_STDCALL* SwapInterval)(int);

// One server for the whole run, with a compositing manager when TRANSLUCENCY_TEST_COMPOSITOR is set:
// the layer chooses its mechanism once per process, so the two cases are two runs (see CMakeLists.txt).
class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        server = XvfbServer::start();
        if (!server) return;
        setenv("DISPLAY", server->displayName().c_str(), 1);
        if (!std::getenv("TRANSLUCENCY_TEST_COMPOSITOR")) return;
        startCompositor();
    }
    void TearDown() override {
        compositor.reset();
        server.reset();
    }

    static void startCompositor() {
        LaunchOptions options;
        options.argv = {"/usr/bin/xcompmgr"};
        options.environment["DISPLAY"] = server->displayName();
        compositor = ChildProcess::launch(options);
        Display* display = XOpenDisplay(server->displayName().c_str());
        if (!display) return;
        const Atom selection = XInternAtom(display, "_NET_WM_CM_S0", False);
        for (int i = 0; i < 100 && XGetSelectionOwner(display, selection) == None; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        XCloseDisplay(display);
    }
};

bool compositing() { return compositor && compositor->running(); }

// The frame most tests swap: red at the given alpha, and opaque key (pure blue) in GL's bottom-left
// 16 x 16 corner, the window's rows 48 to 63.
void drawRedWithKeyCorner(float alpha) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(1.0f, 0.0f, 0.0f, alpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 16, 16);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

GLint integerState(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

bool hasOpacityHint(HWND window) {
    const Atom opacity = XInternAtom(layer().display, "_NET_WM_WINDOW_OPACITY", False);
    int count = 0;
    Atom* names = XListProperties(layer().display, window->xwindow, &count);
    const bool found = names && std::find(names, names + count, opacity) != names + count;
    if (names) XFree(names);
    return found;
}

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// A layered window as the program makes one: key pure blue, opacity 150, a GL context current on it.
class LayeredWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server || !layer().display) GTEST_SKIP() << "no Xvfb";
        if (std::getenv("TRANSLUCENCY_TEST_COMPOSITOR") && !compositing()) GTEST_SKIP() << "no xcompmgr";
        static bool registered = false;
        if (!registered) {
            WNDCLASSA windowClass = {};
            windowClass.style = CS_OWNDC;
            windowClass.lpfnWndProc = plainProc;
            windowClass.lpszClassName = "Tessivar layered test";
            ASSERT_NE(RegisterClassA(&windowClass), 0);
            registered = true;
        }
        window = CreateWindowExA(WS_EX_LAYERED, "Tessivar layered test", "layered", WS_OVERLAPPEDWINDOW, 10, 10, 64, 64,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(SetLayeredWindowAttributes(window, 0x00FF0000, 150, LWA_COLORKEY | LWA_ALPHA));
        dc = GetDC(window);
        const PIXELFORMATDESCRIPTOR request = gaugeFormatRequest();
        const int format = ChoosePixelFormat(dc, &request);
        ASSERT_NE(format, 0);
        ASSERT_TRUE(SetPixelFormat(dc, format, &request));
        context = wglCreateContext(dc);
        ASSERT_TRUE(wglMakeCurrent(dc, context));
        ShowWindow(window, SW_SHOW);
        XSync(layer().display, False);
    }
    void TearDown() override {
        if (context) {
            wglMakeCurrent(dc, nullptr);
            wglDeleteContext(context);
        }
        if (window) DestroyWindow(window);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }

    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
};

double secondsFor(int swaps, HDC dc) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < swaps; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        SwapBuffers(dc);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Mesa under Xvfb lists no GLX swap control, so the function is the layer's own pacing: it exists,
// refuses what WGL refuses, and holds swaps at least a refresh period (60 Hz: Xvfb reports no rate)
// apart. Only lower bounds on time: a loaded machine makes swaps slower, never faster.
TEST_F(LayeredWindow, SwapIntervalWithoutDriverSwapControlPacesSwapsToTheRefreshRate) {
    const auto setInterval =
        reinterpret_cast<SwapInterval>(reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    ASSERT_NE(setInterval, nullptr) << "the layer's own pacing stands in for missing swap control";
    EXPECT_FALSE(setInterval(-1));
    ASSERT_TRUE(setInterval(1));
    SwapBuffers(dc); // the first swap goes at once
    // The first of the swaps timed may come early: the one before it was timed from before its own swap.
    EXPECT_GE(secondsFor(12, dc), 11 / 60.0);
    ASSERT_TRUE(setInterval(2));
    SwapBuffers(dc);
    EXPECT_GE(secondsFor(6, dc), 10 / 60.0);
    ASSERT_TRUE(setInterval(0));
}

// A window resized up and back down does not keep the large frame's memory.
TEST_F(LayeredWindow, FrameBufferFollowsTheWindowSizeBothWays) {
    for (int side : {600, 3000, 600}) {
        SetWindowPos(window, nullptr, 0, 0, side, side, SWP_NOZORDER | SWP_NOMOVE);
        glViewport(0, 0, side, side);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ASSERT_TRUE(SwapBuffers(dc));
        const size_t pixels = static_cast<size_t>(side) * side;
        EXPECT_GE(dc->translucency.frame.size(), pixels) << side;
        EXPECT_LE(dc->translucency.frame.capacity() * sizeof(uint32_t),
                  2 * pixels * sizeof(uint32_t) + 65536 * sizeof(uint32_t))
            << "window " << side << " keeps a larger frame's buffer";
    }
}

// Unpaced frames (vsync off) faster than the display share the key found in the first of them; the
// next frame a refresh later is read again, so the shape catches up within a refresh. A size change
// is read at once. The key takes the input shape, and the bounding shape only without a compositor.
TEST_F(LayeredWindow, UnpacedFramesAreReadForTheKeyOnceARefreshAndAtOnceAfterAResize) {
    const auto setInterval =
        reinterpret_cast<SwapInterval>(reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    ASSERT_NE(setInterval, nullptr);
    ASSERT_TRUE(setInterval(0));
    const auto frame = [&](bool key) {
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 0.0f, key ? 1.0f : 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return SwapBuffers(dc);
    };
    // Let a refresh pass since the frames of the set-up, then a frame without key: read, no shape.
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    const auto read = std::chrono::steady_clock::now();
    ASSERT_TRUE(frame(false));
    EXPECT_FALSE(dc->translucency.inputApplied);
    // All key at once after: the same refresh, so the shape stays as read (none) ...
    ASSERT_TRUE(frame(true));
    // (unless the machine held this thread back for most of a refresh in between)
    if (std::chrono::steady_clock::now() - read < std::chrono::milliseconds(10)) {
        EXPECT_FALSE(dc->translucency.inputApplied) << "a frame within a refresh of the last one read was read again";
    }
    // ... and a refresh later it is read: everything is key.
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    ASSERT_TRUE(frame(true));
    EXPECT_TRUE(dc->translucency.inputApplied);
    EXPECT_EQ(dc->translucency.boundingApplied, !compositing());
    // A resize is read at once, refresh or not.
    SetWindowPos(window, nullptr, 0, 0, 80, 80, SWP_NOZORDER | SWP_NOMOVE);
    glViewport(0, 0, 80, 80);
    ASSERT_TRUE(frame(false));
    EXPECT_FALSE(dc->translucency.inputApplied) << "the first frame at a new size keeps the old size's shape";
}

// Under a compositor the window has a 32-bit visual and SwapBuffers writes alpha into the frame (all of
// it, or the key pixels alone); the program's next frame must find its GL state exactly as it left it.
TEST_F(LayeredWindow, AlphaPassLeavesTheProgramsGlStateAsItWas) {
    if (!compositing()) GTEST_SKIP() << "needs a compositor (TRANSLUCENCY_TEST_COMPOSITOR)";
    ASSERT_TRUE(dc->translucency.argb) << "a layered window made with per-pixel alpha asked for has a 32-bit visual";
    // A frame of its own alpha takes the whole pass; an opaque one with key pixels only the key's clears.
    for (const float frameAlpha : {0.5f, 1.0f}) {
        SCOPED_TRACE(frameAlpha);
        std::this_thread::sleep_for(std::chrono::milliseconds(40)); // a refresh on: this frame is read
        glMatrixMode(GL_MODELVIEW);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        drawRedWithKeyCorner(frameAlpha);
        // State a program may well have at the end of its frame, none of it the default.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 64, 0, 64, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(3.0f, 4.0f, 0.0f);
        glMatrixMode(GL_TEXTURE);
        glViewport(1, 2, 30, 40);
        glEnable(GL_SCISSOR_TEST);
        glScissor(5, 6, 7, 8);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
        glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
        glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelTransferf(GL_RED_SCALE, 0.5f);
        glReadBuffer(GL_FRONT);
        while (glGetError() != GL_NO_ERROR) {}
        glGetError();

        SwapBuffers(dc);

        EXPECT_TRUE(dc->translucency.alphaPassOn);
        EXPECT_EQ(hasOpacityHint(window), frameAlpha == 1.0f) << "not the path this frame asks for";
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_TEXTURE);
        GLfloat projection[16];
        GLfloat modelview[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        EXPECT_FLOAT_EQ(projection[0], 2.0f / 64);
        EXPECT_FLOAT_EQ(projection[12], -1.0f);
        EXPECT_FLOAT_EQ(modelview[12], 3.0f);
        EXPECT_FLOAT_EQ(modelview[13], 4.0f);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 1);
        EXPECT_EQ(viewport[3], 40);
        GLint scissor[4];
        glGetIntegerv(GL_SCISSOR_BOX, scissor);
        EXPECT_EQ(scissor[2], 7);
        EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(integerState(GL_BLEND_SRC), GL_SRC_ALPHA);
        EXPECT_EQ(integerState(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
        GLboolean mask[4];
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        EXPECT_TRUE(mask[0] && !mask[1] && mask[2] && !mask[3]);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        EXPECT_FLOAT_EQ(clear[2], 0.75f);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[3], 0.4f);
        GLint alignment = 0;
        glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 1);
        GLfloat redScale = 0;
        glGetFloatv(GL_RED_SCALE, &redScale);
        EXPECT_FLOAT_EQ(redScale, 0.5f);
        GLint readBuffer = 0;
        glGetIntegerv(GL_READ_BUFFER, &readBuffer);
        EXPECT_EQ(readBuffer, GL_FRONT);
    }
}

// The pass itself: alpha 150 and colour times 150/255 where the frame is not key, all zero where it is.
// A frame with alpha of its own (here 0.5) cannot leave the opacity to the hint.
TEST_F(LayeredWindow, AlphaPassWritesPremultipliedOpacityAndClearsTheKey) {
    if (!compositing()) GTEST_SKIP() << "needs a compositor (TRANSLUCENCY_TEST_COMPOSITOR)";
    drawRedWithKeyCorner(0.5f);
    applyTranslucency(dc, 0); // what SwapBuffers does before the swap, the result still in the back buffer
    unsigned char red[4];
    unsigned char key[4];
    glReadBuffer(GL_BACK);
    glReadPixels(40, 40, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, red);
    glReadPixels(3, 3, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, key);
    EXPECT_NEAR(red[0], 150, 1);
    EXPECT_EQ(red[1], 0);
    EXPECT_EQ(red[2], 0);
    EXPECT_EQ(red[3], 150);
    for (int channel = 0; channel < 4; ++channel) EXPECT_EQ(key[channel], 0) << "channel " << channel;
    EXPECT_TRUE(dc->translucency.inputApplied) << "key pixels let clicks through";
    EXPECT_FALSE(dc->translucency.boundingApplied) << "alpha 0 shows what is behind; no bounding shape";
}

// A frame with much key (a checkerboard of 4-pixel cells) takes the key as one image; same result, with
// the whole pass (a frame of its own alpha) and without it (an opaque frame).
TEST_F(LayeredWindow, AlphaPassOverMuchKeyGivesTheSameAlpha) {
    if (!compositing()) GTEST_SKIP() << "needs a compositor (TRANSLUCENCY_TEST_COMPOSITOR)";
    for (const float frameAlpha : {0.5f, 1.0f}) {
        SCOPED_TRACE(frameAlpha);
        const int drawn = frameAlpha < 1.0f ? 150 : 255; // green and alpha where not key
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 1.0f, 0.0f, frameAlpha);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        for (int y = 0; y < 64; y += 4)
            for (int x = (y / 4) % 2 * 4; x < 64; x += 8) {
                glScissor(x, y, 4, 4);
                glClear(GL_COLOR_BUFFER_BIT);
            }
        glDisable(GL_SCISSOR_TEST);
        applyTranslucency(dc, 0);
        glReadBuffer(GL_BACK);
        for (int y = 1; y < 64; y += 4) {
            for (int x = 1; x < 64; x += 4) {
                unsigned char pixel[4];
                glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
                const bool key = ((x / 4) + (y / 4)) % 2 == 0;
                if (key) {
                    ASSERT_EQ(pixel[2], 0) << x << ", " << y;
                    ASSERT_EQ(pixel[3], 0) << x << ", " << y;
                } else {
                    ASSERT_NEAR(pixel[1], drawn, 1) << x << ", " << y;
                    ASSERT_EQ(pixel[3], drawn) << x << ", " << y;
                }
            }
        }
        EXPECT_GT(dc->translucency.cutout.mask.size(), 0u) << "the image path was not taken";
    }
}

// An opaque frame under a compositor that applies the hint over the window's own alpha: the hint
// carries the opacity, the colour stays as drawn, and only key pixels are written (to 0).
TEST_F(LayeredWindow, OverAnOpaqueFrameOnlyTheKeyIsWrittenAndTheHintCarriesTheOpacity) {
    if (!compositing()) GTEST_SKIP() << "needs a compositor (TRANSLUCENCY_TEST_COMPOSITOR)";
    drawRedWithKeyCorner(1.0f);
    applyTranslucency(dc, 0);
    unsigned char red[4];
    unsigned char key[4];
    glReadBuffer(GL_BACK);
    glReadPixels(40, 40, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, red);
    glReadPixels(3, 3, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, key);
    EXPECT_EQ(red[0], 255);
    EXPECT_EQ(red[3], 255);
    for (int channel = 0; channel < 4; ++channel) EXPECT_EQ(key[channel], 0) << "channel " << channel;
    EXPECT_TRUE(hasOpacityHint(window)) << "nothing else carries the opacity";
    EXPECT_TRUE(dc->translucency.inputApplied);
    EXPECT_FALSE(dc->translucency.boundingApplied);
}

// A compositor that stops while the window runs leaves it opaque and keyed by shapes, with the hint
// back for the next one; one that starts takes the window's own alpha again. Each is seen within a
// second (the layer looks at the compositor's selection once a second).
TEST_F(LayeredWindow, FollowsTheCompositorStoppingAndStartingAgain) {
    if (!compositing()) GTEST_SKIP() << "needs a compositor (TRANSLUCENCY_TEST_COMPOSITOR)";
    const auto keyedFrame = [&] {
        drawRedWithKeyCorner(0.5f); // alpha of its own: the whole pass under the compositor
        return SwapBuffers(dc);
    };
    const auto hasHint = [&] { return hasOpacityHint(window); };
    ASSERT_TRUE(keyedFrame());
    EXPECT_TRUE(dc->translucency.alphaPassOn);
    EXPECT_FALSE(dc->translucency.boundingApplied);
    EXPECT_FALSE(hasHint());

    compositor.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_TRUE(keyedFrame());
    EXPECT_FALSE(dc->translucency.alphaPassOn) << "per-pixel alpha without a compositor";
    EXPECT_TRUE(dc->translucency.boundingApplied && dc->translucency.inputApplied) << "key pixels not cut out";
    EXPECT_TRUE(hasHint()) << "a compositor starting later would find no opacity";

    XvfbEnvironment::startCompositor();
    ASSERT_TRUE(compositing());
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_TRUE(keyedFrame());
    EXPECT_TRUE(dc->translucency.alphaPassOn);
    EXPECT_FALSE(dc->translucency.boundingApplied) << "a bounding shape under a compositor";
    EXPECT_TRUE(dc->translucency.inputApplied);
    EXPECT_FALSE(hasHint()) << "the hint and the window's own alpha would blend twice";
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment());
    return RUN_ALL_TESTS();
}
