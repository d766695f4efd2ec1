// Pure translation of X events into window messages.

#include "event_translate.h"

#include <X11/extensions/XKB.h>

namespace {

bool insideClientArea(int x, int y, int clientWidth, int clientHeight) {
    return x >= 0 && y >= 0 && x < clientWidth && y < clientHeight;
}

} // namespace

KeyModifiers modifiersFromState(unsigned int state) {
    KeyModifiers modifiers;
    modifiers.shift = (state & ShiftMask) != 0;
    modifiers.control = (state & ControlMask) != 0;
    modifiers.alt = (state & Mod1Mask) != 0;
    return modifiers;
}

LPARAM packClientPoint(int x, int y) {
    return static_cast<LPARAM>((static_cast<uint32_t>(x) & 0xffff) | ((static_cast<uint32_t>(y) & 0xffff) << 16));
}

WPARAM mouseKeyFlags(unsigned int state, unsigned int button, bool press) {
    WPARAM flags = 0;
    if (state & Button1Mask) flags |= MK_LBUTTON;
    if (state & Button2Mask) flags |= MK_MBUTTON;
    if (state & Button3Mask) flags |= MK_RBUTTON;
    if (state & ShiftMask) flags |= MK_SHIFT;
    if (state & ControlMask) flags |= MK_CONTROL;
    // X's state is from just before the event.
    WPARAM own = 0;
    if (button == Button1) own = MK_LBUTTON;
    if (button == Button2) own = MK_MBUTTON;
    if (button == Button3) own = MK_RBUTTON;
    return press ? flags | own : flags & ~own;
}

std::optional<InputMessage> translateButton(const XButtonEvent& event, int clientWidth, int clientHeight) {
    // NOTE: X grabs the pointer while a button is held, so a release can arrive from outside the
    // window; Win32 without capture never reports that, so it is dropped like motion outside.
    if (!insideClientArea(event.x, event.y, clientWidth, clientHeight)) return std::nullopt;
    const bool press = event.type == ButtonPress;
    const WPARAM keys = mouseKeyFlags(event.state, event.button, press);
    UINT message = 0;
    switch (event.button) {
    case Button1:
        message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case Button2:
        message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    case Button3:
        message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    case Button4:
    case Button5:
    case 6:
    case 7: {
        // X reports a notch as a press and a release of the same button; the press is the notch.
        if (!press) return std::nullopt;
        // Up and right are positive.
        const bool positive = event.button == Button4 || event.button == 7;
        const UINT wheel = event.button <= Button5 ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL;
        const auto delta = static_cast<WORD>(positive ? WHEEL_DELTA : -WHEEL_DELTA);
        return InputMessage{wheel, keys | (WPARAM{delta} << 16), packClientPoint(event.x_root, event.y_root)};
    }
    default:
        return std::nullopt;
    }
    return InputMessage{message, keys, packClientPoint(event.x, event.y)};
}

std::optional<InputMessage> translateMotion(const XMotionEvent& event, int clientWidth, int clientHeight) {
    if (!insideClientArea(event.x, event.y, clientWidth, clientHeight)) return std::nullopt;
    return InputMessage{WM_MOUSEMOVE, mouseKeyFlags(event.state, 0, false), packClientPoint(event.x, event.y)};
}

std::optional<InputMessage> KeyTranslator::translate(const XKeyEvent& event, const KeyLayout& layout) {
    if (event.type != KeyPress && event.type != KeyRelease) return std::nullopt;
    const bool press = event.type == KeyPress;
    const unsigned keycode = event.keycode & 0xFF;
    const bool wasDown = down_.test(keycode);
    down_.set(keycode, press);
    const UINT virtualKey = layout.virtualKey(event.keycode, XkbGroupForCoreState(event.state));
    if (virtualKey == 0) return std::nullopt;

    // X's state is from just before the event: the key itself changes it when it is Alt or Ctrl.
    bool alt = (event.state & Mod1Mask) != 0;
    bool control = (event.state & ControlMask) != 0;
    if (virtualKey == VK_MENU) alt = press;
    if (virtualKey == VK_CONTROL) control = press;

    bool system = false;
    if (virtualKey == VK_MENU) {
        if (press) {
            system = !control;
            altReleaseIsSystem_ = system;
        } else {
            system = altReleaseIsSystem_;
            altReleaseIsSystem_ = false;
        }
    } else if (virtualKey == VK_CONTROL) {
        // Releasing Ctrl with Alt still down is a system key again.
        system = !press && alt;
    } else {
        // F10 is the menu key whatever else is held.
        system = virtualKey == VK_F10 || (alt && !control);
    }
    if (system && virtualKey != VK_MENU) altReleaseIsSystem_ = false;

    const unsigned scan = layout.scanCode(event.keycode);
    unsigned flags = scan & 0xFF;
    if (scan & 0x100) flags |= KF_EXTENDED;
    if (alt) flags |= KF_ALTDOWN;
    if (!press)
        flags |= KF_REPEAT | KF_UP;
    else if (wasDown)
        flags |= KF_REPEAT;
    const UINT message = press ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    return InputMessage{message, virtualKey, static_cast<LPARAM>((static_cast<uint32_t>(flags) << 16) | 1u)};
}

void KeyTranslator::releaseAll() {
    down_.reset();
    altReleaseIsSystem_ = false;
}

bool isAutoRepeatRelease(const XKeyEvent& release, const XEvent& next) {
    return release.type == KeyRelease && next.type == KeyPress && next.xkey.keycode == release.keycode &&
           next.xkey.time == release.time && next.xkey.window == release.window;
}

std::optional<InputMessage> characterMessage(const InputMessage& key, unsigned char typed) {
    if (typed == 0) return std::nullopt;
    if (key.message == WM_KEYDOWN) return InputMessage{WM_CHAR, typed, key.lParam};
    if (key.message == WM_SYSKEYDOWN) return InputMessage{WM_SYSCHAR, typed, key.lParam};
    return std::nullopt;
}

ProtocolRequest classifyClientMessage(const XClientMessageEvent& event, const ProtocolAtoms& atoms) {
    if (event.message_type != atoms.wmProtocols || event.format != 32) return ProtocolRequest::Other;
    const Atom protocol = static_cast<Atom>(event.data.l[0]);
    if (protocol == atoms.wmDeleteWindow) return ProtocolRequest::Close;
    if (protocol == atoms.netWmPing) return ProtocolRequest::Ping;
    return ProtocolRequest::Other;
}

XClientMessageEvent pingReply(const XClientMessageEvent& ping, Window root) {
    XClientMessageEvent reply = ping;
    reply.window = root;
    return reply;
}

std::optional<ClientSize> changedClientSize(const XConfigureEvent& event, int clientWidth, int clientHeight) {
    // A real size change always comes from the server. Window managers send synthetic ones to report
    // a position (ICCCM 4.1.5), and any client can forge them with any size.
    if (event.send_event) return std::nullopt;
    if (event.width == clientWidth && event.height == clientHeight) return std::nullopt;
    return ClientSize{event.width, event.height};
}

InputMessage sizeMessage(int clientWidth, int clientHeight) {
    return InputMessage{WM_SIZE, SIZE_RESTORED, packClientPoint(clientWidth, clientHeight)};
}
