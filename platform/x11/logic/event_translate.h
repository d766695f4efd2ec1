#pragma once
// Pure translation of X events into the window messages Win32 would deliver for them.

#include <X11/Xlib.h>

#include <optional>

#include "key_layout.h"
#include "key_modifiers.h"
#include "win32_api.h"

// A window message without its window, time and cursor position.
struct InputMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The atoms that identify window-manager protocol messages.
struct ProtocolAtoms {
    Atom wmProtocols;
    Atom wmDeleteWindow;
    Atom netWmPing;
};

// What a WM_PROTOCOLS client message asks of the window.
enum class ProtocolRequest { Other, Close, Ping };

// Shift, Control and Alt (Mod1) from an X state mask; Caps Lock is not a modifier here.
KeyModifiers modifiersFromState(unsigned int state);

// Client coordinates packed as Win32 packs them: x in the low 16 bits, y in the high 16 bits.
LPARAM packClientPoint(int x, int y);

// Buttons 1 and 3 inside the client area; other buttons and points outside give nothing.
std::optional<InputMessage> translateButton(const XButtonEvent& event, int clientWidth, int clientHeight);

// Pointer motion inside the client area.
std::optional<InputMessage> translateMotion(const XMotionEvent& event, int clientWidth, int clientHeight);

// A key event under the keyboard's layout: a press is WM_KEYDOWN with the key's virtual-key code in the
// event's group (the state's XKB group bits); releases and keys without a code give nothing. Every press
// counts and no release is reported, so auto-repeat gives one WM_KEYDOWN per repeat whether the server
// sends press/release pairs or (detectable auto-repeat) presses.
std::optional<InputMessage> translateKey(const XKeyEvent& event, const KeyLayout& layout);

// Whether a client message is WM_DELETE_WINDOW, _NET_WM_PING or something else (Other).
ProtocolRequest classifyClientMessage(const XClientMessageEvent& event, const ProtocolAtoms& atoms);

// The answer to a _NET_WM_PING: the same message, addressed to the root window.
XClientMessageEvent pingReply(const XClientMessageEvent& ping, Window root);

// The new client size when a ConfigureNotify from the server changes it; synthetic events change nothing.
struct ClientSize {
    int width;
    int height;
};
std::optional<ClientSize> changedClientSize(const XConfigureEvent& event, int clientWidth, int clientHeight);

// WM_SIZE as Win32 sends it for a restored window of the given client size.
InputMessage sizeMessage(int clientWidth, int clientHeight);
