// X events fed by hand into the translators, as the server would send them.

// gtest before Xlib, whose None macro would break gtest's internal::None.
#include <gtest/gtest.h>

#include "event_translate.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

XButtonEvent button(int type, unsigned int number, int x, int y) {
    XButtonEvent event = {};
    event.type = type;
    event.button = number;
    event.x = x;
    event.y = y;
    return event;
}

XMotionEvent motion(int x, int y) {
    XMotionEvent event = {};
    event.type = MotionNotify;
    event.x = x;
    event.y = y;
    return event;
}

constexpr ProtocolAtoms kAtoms = {101, 102, 103};

XClientMessageEvent protocolMessage(Atom type, long protocol, int format = 32) {
    XClientMessageEvent event = {};
    event.type = ClientMessage;
    event.window = 77;
    event.message_type = type;
    event.format = format;
    event.data.l[0] = protocol;
    event.data.l[1] = 123456; // timestamp
    event.data.l[2] = 77;
    return event;
}

} // namespace

TEST(PointerTranslation, ButtonsOneAndThreeBecomeLeftAndRight) {
    struct Case {
        int type;
        unsigned int button;
        UINT message;
    } cases[] = {
        {ButtonPress, Button1, WM_LBUTTONDOWN},
        {ButtonRelease, Button1, WM_LBUTTONUP},
        {ButtonPress, Button3, WM_RBUTTONDOWN},
        {ButtonRelease, Button3, WM_RBUTTONUP},
    };
    for (const Case& c : cases) {
        const auto message = translateButton(button(c.type, c.button, 120, 100), kWidth, kHeight);
        ASSERT_TRUE(message.has_value()) << c.button;
        EXPECT_EQ(message->message, c.message);
        EXPECT_EQ(LOWORD(message->lParam), 120);
        EXPECT_EQ(HIWORD(message->lParam), 100);
    }
}

TEST(PointerTranslation, ButtonsCarryTheButtonsAndModifiersHeldAfterTheEvent) {
    struct Case {
        int type;
        unsigned int button;
        unsigned int state; // X's, from before the event
        UINT message;
        WPARAM keys;
    } cases[] = {
        {ButtonPress, Button1, 0, WM_LBUTTONDOWN, MK_LBUTTON},
        {ButtonRelease, Button1, Button1Mask, WM_LBUTTONUP, 0},
        {ButtonPress, Button2, ShiftMask, WM_MBUTTONDOWN, MK_MBUTTON | MK_SHIFT},
        {ButtonRelease, Button2, Button2Mask | Button3Mask, WM_MBUTTONUP, MK_RBUTTON},
        {ButtonPress, Button3, Button1Mask | ControlMask, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_CONTROL},
        {ButtonRelease, Button3, Button3Mask | Mod1Mask | LockMask, WM_RBUTTONUP, 0}, // Alt and Caps are no MK_
    };
    for (const Case& c : cases) {
        XButtonEvent event = button(c.type, c.button, 5, 6);
        event.state = c.state;
        const auto message = translateButton(event, kWidth, kHeight);
        ASSERT_TRUE(message.has_value()) << c.button;
        EXPECT_EQ(message->message, c.message);
        EXPECT_EQ(message->wParam, c.keys) << std::hex << c.message;
        EXPECT_EQ(message->lParam, 5 | (6 << 16));
    }
    XMotionEvent dragging = motion(7, 8);
    dragging.state = Button1Mask | Button2Mask | ShiftMask;
    const auto moved = translateMotion(dragging, kWidth, kHeight);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->wParam, WPARAM{MK_LBUTTON | MK_MBUTTON | MK_SHIFT});
}

TEST(PointerTranslation, WheelNotchesAreOneDeltaWithTheScreenPoint) {
    struct Case {
        unsigned int button;
        UINT message;
        int delta;
    } cases[] = {{Button4, WM_MOUSEWHEEL, 120},
                 {Button5, WM_MOUSEWHEEL, -120},
                 {6, WM_MOUSEHWHEEL, -120},
                 {7, WM_MOUSEHWHEEL, 120}};
    for (const Case& c : cases) {
        XButtonEvent event = button(ButtonPress, c.button, 10, 20);
        event.x_root = 310;
        event.y_root = 1220;
        event.state = ControlMask;
        const auto message = translateButton(event, kWidth, kHeight);
        ASSERT_TRUE(message) << c.button;
        EXPECT_EQ(message->message, c.message);
        EXPECT_EQ(static_cast<short>(HIWORD(message->wParam)), c.delta) << c.button;
        EXPECT_EQ(LOWORD(message->wParam), MK_CONTROL);
        EXPECT_EQ(message->lParam, 310 | (1220 << 16)) << "screen coordinates, unlike the other mouse messages";
        // The release that ends each notch is no second notch.
        EXPECT_FALSE(translateButton(button(ButtonRelease, c.button, 10, 20), kWidth, kHeight)) << c.button;
    }
    for (unsigned int number : {8u, 9u, 12u}) {
        EXPECT_FALSE(translateButton(button(ButtonPress, number, 10, 10), kWidth, kHeight)) << number;
    }
}

TEST(PointerTranslation, ClientAreaEdgesAreInsideAndOneBeyondIsOutside) {
    EXPECT_TRUE(translateButton(button(ButtonPress, Button1, 0, 0), kWidth, kHeight));
    EXPECT_TRUE(translateButton(button(ButtonPress, Button1, kWidth - 1, kHeight - 1), kWidth, kHeight));
    EXPECT_TRUE(translateMotion(motion(kWidth - 1, 0), kWidth, kHeight));
    // While a button is held X keeps reporting to the window from anywhere on the screen.
    const int outside[][2] = {{-1, 10}, {10, -1}, {kWidth, 10}, {10, kHeight}, {-300, -300}, {2000, 5}};
    for (const auto& point : outside) {
        EXPECT_FALSE(translateMotion(motion(point[0], point[1]), kWidth, kHeight)) << point[0] << "," << point[1];
        EXPECT_FALSE(translateButton(button(ButtonRelease, Button1, point[0], point[1]), kWidth, kHeight));
        EXPECT_FALSE(translateButton(button(ButtonRelease, Button3, point[0], point[1]), kWidth, kHeight));
    }
}

TEST(PointerTranslation, MotionCarriesTopLeftClientCoordinates) {
    const auto message = translateMotion(motion(130, 90), kWidth, kHeight);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(message->wParam, 0u) << "nothing held";
    EXPECT_EQ(message->lParam, 130 | (90 << 16));
}

TEST(ProtocolMessages, DeleteWindowAndPingAreRecognised) {
    EXPECT_EQ(classifyClientMessage(protocolMessage(kAtoms.wmProtocols, 102), kAtoms), ProtocolRequest::Close);
    EXPECT_EQ(classifyClientMessage(protocolMessage(kAtoms.wmProtocols, 103), kAtoms), ProtocolRequest::Ping);
}

TEST(ProtocolMessages, OtherClientMessagesAreIgnored) {
    // The delete atom under another message type, an unknown protocol, and the wrong format.
    EXPECT_EQ(classifyClientMessage(protocolMessage(999, 102), kAtoms), ProtocolRequest::Other);
    EXPECT_EQ(classifyClientMessage(protocolMessage(kAtoms.wmProtocols, 555), kAtoms), ProtocolRequest::Other);
    EXPECT_EQ(classifyClientMessage(protocolMessage(kAtoms.wmProtocols, 102, 8), kAtoms), ProtocolRequest::Other);
}

TEST(ProtocolMessages, PingReplyGoesToTheRootWithTheSameContent) {
    const XClientMessageEvent ping = protocolMessage(kAtoms.wmProtocols, 103);
    const XClientMessageEvent reply = pingReply(ping, 5);
    EXPECT_EQ(reply.window, 5u);
    EXPECT_EQ(reply.message_type, kAtoms.wmProtocols);
    EXPECT_EQ(reply.data.l[1], 123456);
    EXPECT_EQ(reply.data.l[2], 77); // the pinged window stays named in the data
}

TEST(Resizing, SizeMessagePacksWidthLowAndHeightHigh) {
    const InputMessage message = sizeMessage(640, 480);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(message.lParam), 640);
    EXPECT_EQ(HIWORD(message.lParam), 480);
}

// Window managers send synthetic ConfigureNotify events to report a position, and any client can forge
// one with any size: only the server's own events resize the client area.
TEST(Resizing, OnlyRealConfigureEventsChangeTheClientSize) {
    XConfigureEvent event = {};
    event.type = ConfigureNotify;
    event.width = 800;
    event.height = 601;
    const auto real = changedClientSize(event, 600, 600);
    ASSERT_TRUE(real.has_value());
    EXPECT_EQ(real->width, 800);
    EXPECT_EQ(real->height, 601);
    EXPECT_FALSE(changedClientSize(event, 800, 601).has_value()) << "same size: nothing to do";

    event.send_event = True;
    event.width = 65535;
    event.height = 65535;
    EXPECT_FALSE(changedClientSize(event, 600, 600).has_value());
}
