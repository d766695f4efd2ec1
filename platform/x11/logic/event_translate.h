#pragma once
// Pure translation of X events into the window messages Win32 would deliver for them.

#include <X11/Xlib.h>

#include <bitset>
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

// The MK_ flags of a mouse message: the buttons and Shift and Ctrl held in an X state mask, with the
// event's own button (1 to 3) counted as held after a press and as up after a release, as Windows
// reports them.
WPARAM mouseKeyFlags(unsigned int state, unsigned int button, bool press);

// Buttons 1 to 3 inside the client area as WM_[LMR]BUTTON{DOWN,UP}; a press of buttons 4 to 7 (the
// wheel, up, down, left, right) as WM_MOUSEWHEEL or WM_MOUSEHWHEEL, one notch of WHEEL_DELTA with
// the point on the screen; other buttons and points outside give nothing.
std::optional<InputMessage> translateButton(const XButtonEvent& event, int clientWidth, int clientHeight);

// Pointer motion inside the client area.
std::optional<InputMessage> translateMotion(const XMotionEvent& event, int clientWidth, int clientHeight);

// Key events as Windows reports them. Windows keeps which keys are down, and this keeps the same for
// the keys X reports: a press of a key already down is an auto-repeat (the previous-state bit set),
// Alt turns key messages into WM_SYSKEY* unless Ctrl is held too, and a lone Alt press and release
// ends in WM_SYSKEYUP while Alt released after another key gives WM_KEYUP.
class KeyTranslator {
public:
    // The message for a key event under the keyboard's layout, with the virtual-key code in the event's
    // group (the state's XKB group bits); keys without a code give nothing. X's own auto-repeat sends a
    // release and a press with the same time: the caller drops such a release (isAutoRepeatRelease).
    std::optional<InputMessage> translate(const XKeyEvent& event, const KeyLayout& layout);

    // Every key up, as after the window lost the keyboard focus.
    void releaseAll();

private:
    std::bitset<256> down_;           // the X keycodes held
    bool altReleaseIsSystem_ = false; // Alt went down as WM_SYSKEYDOWN and no key came in between
};

// Whether a key release is the first half of one of X's auto-repeat pairs: the next event is a press
// of the same key at the same time.
bool isAutoRepeatRelease(const XKeyEvent& release, const XEvent& next);

// The character message that TranslateMessage posts for a key message, given the character the key
// types (0 for none): WM_CHAR for WM_KEYDOWN, WM_SYSCHAR for WM_SYSKEYDOWN, with the key's lParam.
std::optional<InputMessage> characterMessage(const InputMessage& key, unsigned char typed);

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
