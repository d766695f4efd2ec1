// Pure translation of X events into window messages.

#include "event_translate.h"

#include <X11/keysym.h>

namespace {

bool insideClientArea(int x, int y, int clientWidth, int clientHeight) {
    return x >= 0 && y >= 0 && x < clientWidth && y < clientHeight;
}

// Keysyms that name the same key as a Windows virtual key, besides letters and digits.
struct KeyMapping {
    KeySym keysym;
    UINT virtualKey;
};
constexpr KeyMapping kKeyMappings[] = {
    {XK_BackSpace, VK_BACK},  {XK_Tab, VK_TAB},           {XK_ISO_Left_Tab, VK_TAB},  {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN}, {XK_Escape, VK_ESCAPE},     {XK_space, VK_SPACE},       {XK_Left, VK_LEFT},
    {XK_Up, VK_UP},           {XK_Right, VK_RIGHT},       {XK_Down, VK_DOWN},         {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},   {XK_Control_L, VK_CONTROL}, {XK_Control_R, VK_CONTROL}, {XK_Alt_L, VK_MENU},
    {XK_Alt_R, VK_MENU},
};

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

UINT virtualKeyFromKeysym(KeySym keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<UINT>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return static_cast<UINT>('A' + (keysym - XK_A));
    if (keysym >= XK_0 && keysym <= XK_9) return static_cast<UINT>('0' + (keysym - XK_0));
    for (const KeyMapping& mapping : kKeyMappings) {
        if (mapping.keysym == keysym) return mapping.virtualKey;
    }
    return 0;
}

std::optional<InputMessage> translateKey(const XKeyEvent& event, KeySym keysym) {
    if (event.type != KeyPress) return std::nullopt;
    const UINT virtualKey = virtualKeyFromKeysym(keysym);
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
