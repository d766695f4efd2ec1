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

std::optional<InputMessage> translateButton(const XButtonEvent& event, int clientWidth, int clientHeight) {
    // NOTE: X grabs the pointer while a button is held, so a release can arrive from outside the
    // window; Win32 without capture never reports that, so it is dropped like motion outside.
    if (!insideClientArea(event.x, event.y, clientWidth, clientHeight)) return std::nullopt;
    const bool press = event.type == ButtonPress;
    UINT message;
    switch (event.button) {
    case Button1:
        message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case Button3:
        message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    default:
        return std::nullopt;
    }
    return InputMessage{message, 0, packClientPoint(event.x, event.y)};
}

std::optional<InputMessage> translateMotion(const XMotionEvent& event, int clientWidth, int clientHeight) {
    if (!insideClientArea(event.x, event.y, clientWidth, clientHeight)) return std::nullopt;
    return InputMessage{WM_MOUSEMOVE, 0, packClientPoint(event.x, event.y)};
}

std::optional<InputMessage> translateKey(const XKeyEvent& event, const KeyLayout& layout) {
    if (event.type != KeyPress) return std::nullopt;
    const UINT virtualKey = layout.virtualKey(event.keycode, XkbGroupForCoreState(event.state));
    if (virtualKey == 0) return std::nullopt;
    return InputMessage{WM_KEYDOWN, virtualKey, 1}; // repeat count 1
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
