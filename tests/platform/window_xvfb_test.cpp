// The window side against a real X server: creation, sizing, translucency, the queue and accelerators.

// gtest before Xlib, whose None macro would break gtest's internal::None.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "format_request.h"
#include "layer.h"
#include "x11_properties.h"
#include "xvfb_server.h"

namespace {

struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Received> received;
bool sizeOnCreate = true;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({message, wParam, lParam});
    if (message == WM_CREATE && sizeOnCreate) SetWindowPos(window, nullptr, 0, 0, 600, 600, SWP_NOZORDER | SWP_NOMOVE);
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> messagesReceived() {
    std::vector<UINT> messages;
    for (const Received& r : received) messages.push_back(r.message);
    return messages;
}

std::unique_ptr<XvfbServer> server;

// Starts the server only when tests run, not when they are listed.
class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        server = XvfbServer::start();
        if (server) setenv("DISPLAY", server->displayName().c_str(), 1);
    }
    void TearDown() override { server.reset(); }
};

class WindowOnXvfb : public ::testing::Test {
protected:
    void SetUp() override {
        if (!server || !layer().display) GTEST_SKIP() << "no Xvfb";
        static bool registered = false;
        if (!registered) {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = recordingProc;
            windowClass.lpszClassName = "Tessivar test";
            ASSERT_NE(RegisterClassA(&windowClass), 0);
            registered = true;
        }
        // A second client, standing in for the window manager and the user.
        other = XOpenDisplay(server->displayName().c_str());
        ASSERT_NE(other, nullptr);
        received.clear();
        sizeOnCreate = true;
    }
    void TearDown() override {
        if (window && !window->destroyed) DestroyWindow(window);
        if (other) XCloseDisplay(other);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }

    void create(DWORD exStyle = 0) {
        window = CreateWindowExA(exStyle, "Tessivar test", "Tessivar test", WS_OVERLAPPEDWINDOW, 50, 50, 0, 0, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        XSync(layer().display, False);
    }

    // Takes messages until one with `message` arrives or a second passes; dispatches the others.
    bool waitFor(UINT message, MSG* found) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < deadline) {
            MSG msg;
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
            if (msg.message == message) {
                *found = msg;
                return true;
            }
            DispatchMessageA(&msg);
        }
        return false;
    }

    void sendFromOther(XEvent event, long mask = NoEventMask) {
        XSendEvent(other, window->xwindow, False, mask, &event);
        XSync(other, False);
    }

    Display* other = nullptr;
    HWND window = nullptr;
};

} // namespace

TEST_F(WindowOnXvfb, CreateAndTheFirstSizeArriveBeforeCreateWindowReturns) {
    create();
    ASSERT_GE(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(received[1].lParam, 600 | (600 << 16));

    Window root;
    int x, y;
    unsigned int width, height, border, depth;
    XGetGeometry(other, window->xwindow, &root, &x, &y, &width, &height, &border, &depth);
    EXPECT_EQ(width, 600u);
    EXPECT_EQ(height, 600u);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 50);
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(WindowOnXvfb, OpacityIsSetOnlyForLayeredWindows) {
    create();
    auto opacity = [&] {
        XSync(layer().display, False); // the server orders requests per client, not across clients
        return property32(other, window->xwindow, "_NET_WM_WINDOW_OPACITY", XA_CARDINAL);
    };
    EXPECT_FALSE(SetLayeredWindowAttributes(window, 0x00FF0000, 150, LWA_COLORKEY | LWA_ALPHA));
    EXPECT_FALSE(opacity());

    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    EXPECT_TRUE(SetLayeredWindowAttributes(window, 0x00FF0000, 150, LWA_COLORKEY | LWA_ALPHA));
    EXPECT_EQ(opacity(), std::vector<std::uint32_t>{0x96969696u});
    EXPECT_EQ(window->colorKey, 0x00FF0000u);
    EXPECT_EQ(window->layeredFlags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));

    // Leaving the layered style makes the window opaque again.
    SetWindowLongA(window, GWL_EXSTYLE, 0);
    EXPECT_FALSE(opacity());
}

TEST_F(WindowOnXvfb, EmptyQueueReturnsAtOnceAndQuitCarriesTheExitCode) {
    create();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)); // it does not wait

    PostQuitMessage(3);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowOnXvfb, QuitComesWhateverTheFiltersAndOnlyOnce) {
    create();
    PostQuitMessage(4);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 4u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(WindowOnXvfb, ClassNamesAreTheSameWhateverTheirCase) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.lpszClassName = "TESSIVAR TEST";
    EXPECT_EQ(RegisterClassA(&windowClass), 0) << "\"Tessivar test\" is registered already";
    window =
        CreateWindowExA(0, "tessivar TEST", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->proc, recordingProc);
}

// A key typed: WM_KEYDOWN, the character TranslateMessage posts for it ahead of input still queued, WM_KEYUP.
TEST_F(WindowOnXvfb, TypedKeyGivesKeyDownCharacterAndKeyUp) {
    create();
    XEvent event = {};
    event.xkey.type = KeyPress;
    event.xkey.window = window->xwindow;
    event.xkey.keycode = XKeysymToKeycode(other, XK_x);
    event.xkey.state = ShiftMask;
    event.xkey.same_screen = True;
    event.xkey.time = 1000;
    sendFromOther(event, KeyPressMask);
    event.xkey.type = KeyRelease;
    event.xkey.time = 1100;
    sendFromOther(event, KeyReleaseMask);

    MSG msg;
    ASSERT_TRUE(waitFor(WM_KEYDOWN, &msg));
    EXPECT_EQ(msg.wParam, WPARAM{'X'});
    const LPARAM down = msg.lParam;
    EXPECT_EQ(down & 0xC000FFFF, 1);
    EXPECT_NE(TranslateMessage(&msg), 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, WPARAM{'X'}) << "Shift types the capital";
    EXPECT_EQ(msg.lParam, down);
    EXPECT_NE(TranslateMessage(&msg), 0) << "a keyboard message";
    ASSERT_TRUE(waitFor(WM_KEYUP, &msg));
    EXPECT_EQ(msg.wParam, WPARAM{'X'});
    EXPECT_EQ(static_cast<uint32_t>(msg.lParam), static_cast<uint32_t>(down) | 0xC0000000u);
    EXPECT_NE(TranslateMessage(&msg), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "no character for a release";
    msg.message = WM_MOUSEMOVE;
    EXPECT_EQ(TranslateMessage(&msg), 0);
}

// Win32 takes a window's queued messages away with it: a posted character and input not yet taken.
TEST_F(WindowOnXvfb, DestroyedWindowLeavesNoMessagesQueued) {
    create();
    XEvent event = {};
    event.xkey.type = KeyPress;
    event.xkey.window = window->xwindow;
    event.xkey.same_screen = True;
    for (KeySym keysym : {XK_a, XK_b}) {
        event.xkey.keycode = XKeysymToKeycode(other, keysym);
        sendFromOther(event, KeyPressMask);
    }
    MSG msg;
    ASSERT_TRUE(waitFor(WM_KEYDOWN, &msg));
    ASSERT_NE(TranslateMessage(&msg), 0); // posts the a
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    bool queued = false;
    while (!queued && std::chrono::steady_clock::now() < deadline)
        queued = PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE);
    ASSERT_TRUE(queued) << "the b";
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << std::hex << msg.message;
}

TEST_F(WindowOnXvfb, CloseBoxBecomesCloseThenDestroy) {
    create();
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window->xwindow;
    event.xclient.message_type = XInternAtom(other, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(other, "WM_DELETE_WINDOW", False));
    sendFromOther(event);

    MSG msg;
    ASSERT_TRUE(waitFor(WM_CLOSE, &msg));
    EXPECT_EQ(msg.hwnd, window);
    received.clear();
    DispatchMessageA(&msg);
    EXPECT_EQ(messagesReceived(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_TRUE(window->destroyed);
    EXPECT_EQ(window->xwindow, 0u);
}

TEST_F(WindowOnXvfb, ControlXFromTheResourcesBecomesTheExitCommand) {
    create();
    const HACCEL accelerators = LoadAcceleratorsA(nullptr, MAKEINTRESOURCE(101));
    ASSERT_NE(accelerators, nullptr);
    XEvent event = {};
    event.xkey.type = KeyPress;
    event.xkey.window = window->xwindow;
    event.xkey.keycode = XKeysymToKeycode(other, XK_x);
    event.xkey.same_screen = True;

    event.xkey.state = 0; // a plain X is an ordinary key
    sendFromOther(event, KeyPressMask);
    MSG msg;
    ASSERT_TRUE(waitFor(WM_KEYDOWN, &msg));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('X'));
    EXPECT_EQ(TranslateAcceleratorA(window, accelerators, &msg), 0);

    event.xkey.state = ControlMask | LockMask; // Caps Lock is not a modifier
    sendFromOther(event, KeyPressMask);
    ASSERT_TRUE(waitFor(WM_KEYDOWN, &msg));
    received.clear();
    EXPECT_NE(TranslateAcceleratorA(window, accelerators, &msg), 0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(LOWORD(received[0].wParam), 40003);
}

TEST_F(WindowOnXvfb, ResizeFromOutsideBecomesSize) {
    create();
    XResizeWindow(other, window->xwindow, 640, 480);
    XSync(other, False);
    MSG msg;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (window->clientHeight != 480 && std::chrono::steady_clock::now() < deadline) {
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    }
    EXPECT_EQ(window->clientWidth, 640);
    EXPECT_EQ(window->clientHeight, 480);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(received.back().lParam, 640 | (480 << 16));
}

// Another client destroys our X window; until the layer hears of it, calls on the window meet BadWindow.
// Those become failed calls instead of Xlib's default handler ending the process, and the destruction
// then arrives as WM_DESTROY, as if the program had destroyed the window itself.
TEST_F(WindowOnXvfb, WindowDestroyedByAnotherClientFailsCallsThenEndsAsDestroyed) {
    create(WS_EX_LAYERED);
    XDestroyWindow(other, window->xwindow);
    XSync(other, False);
    EXPECT_EQ(SetLayeredWindowAttributes(window, RGB(0, 0, 255), 150, LWA_COLORKEY | LWA_ALPHA), FALSE);
    // The destruction is sent to the procedure while the queue is pumped, not queued.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    MSG msg;
    while (!window->destroyed && std::chrono::steady_clock::now() < deadline)
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_TRUE(window->destroyed);
    const std::vector<UINT> messages = messagesReceived();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

// ChoosePixelFormat reads the traits of the formats that can fit only; its choice must be the one
// made over every format as DescribePixelFormat reports them (a plain window: the 32-bit depth buffer
// preferred, nothing else).
TEST_F(WindowOnXvfb, ChoosePixelFormatPicksWhatAComparisonOfEveryFormatPicks) {
    create();
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    const int count = DescribePixelFormat(dc, 1, 0, nullptr);
    ASSERT_GT(count, 0);
    std::vector<PIXELFORMATDESCRIPTOR> described(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(DescribePixelFormat(dc, i + 1, sizeof(PIXELFORMATDESCRIPTOR), &described[i]), count);
    FormatPreference plainWindow;
    plainWindow.depthBits = 32;
    for (DWORD buffering : {DWORD{PFD_DOUBLEBUFFER}, DWORD{0}}) {
        const PIXELFORMATDESCRIPTOR request = gaugeFormatRequest(buffering);
        const int chosen = ChoosePixelFormat(dc, &request);
        ASSERT_GT(chosen, 0);
        EXPECT_EQ(chosen, closestPixelFormat(described, request, plainWindow, {})) << "buffering " << buffering;
        if (buffering) {
            EXPECT_TRUE(described[chosen - 1].dwFlags & PFD_DOUBLEBUFFER);
        }
        EXPECT_GE(described[chosen - 1].cDepthBits, 16);
    }
    ReleaseDC(window, dc);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment());
    return RUN_ALL_TESTS();
}
