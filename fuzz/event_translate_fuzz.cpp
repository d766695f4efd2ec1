// The X event translators on events made of arbitrary bytes: a mouse message only for a point inside
// the client area, with that point packed so that LOWORD and HIWORD give it back and the buttons and
// modifiers held as MK_ flags; key messages with Windows' lParam bits; protocol and configure events
// give exactly what their fields say.
//
// Input: client width and height (2 bytes each), three protocol atoms and a root window (4 bytes each),
// a keysym (4 bytes), then the bytes of one XEvent (zero-filled to its size).

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <cstring>

#include "event_translate.h"
#include "key_layout.h"
#include "fuzz_input.h"

namespace {

bool inside(int x, int y, int width, int height) { return x >= 0 && y >= 0 && x < width && y < height; }

// Client points are below 65536 (X sizes are 16-bit), so the packed point gives back both words.
void checkPacked(LPARAM lParam, int x, int y) {
    FUZZ_CHECK(lParam >= 0 && static_cast<uint64_t>(lParam) <= 0xFFFFFFFFu);
    FUZZ_CHECK(LOWORD(lParam) == x && HIWORD(lParam) == y);
}

// The MK_ flags: the buttons and Shift and Ctrl held, nothing else.
void checkKeyFlags(WPARAM keys, unsigned int state, unsigned int button, bool press) {
    FUZZ_CHECK((keys & ~WPARAM{MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL}) == 0);
    FUZZ_CHECK(((keys & MK_SHIFT) != 0) == ((state & ShiftMask) != 0));
    FUZZ_CHECK(((keys & MK_CONTROL) != 0) == ((state & ControlMask) != 0));
    const struct {
        unsigned int button;
        unsigned int mask;
        WPARAM flag;
    } buttons[] = {
        {Button1, Button1Mask, MK_LBUTTON}, {Button2, Button2Mask, MK_MBUTTON}, {Button3, Button3Mask, MK_RBUTTON}};
    for (const auto& b : buttons) {
        const bool held = b.button == button ? press : (state & b.mask) != 0;
        FUZZ_CHECK(((keys & b.flag) != 0) == held);
    }
}

void checkButton(const XButtonEvent& event, int width, int height) {
    const auto message = translateButton(event, width, height);
    const bool press = event.type == ButtonPress;
    const bool clicked = event.button >= Button1 && event.button <= Button3;
    const bool wheel = event.button >= Button4 && event.button <= 7 && press;
    FUZZ_CHECK(message.has_value() == ((clicked || wheel) && inside(event.x, event.y, width, height)));
    if (!message) return;
    if (wheel) {
        const bool vertical = event.button <= Button5;
        FUZZ_CHECK(message->message == (vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL));
        const auto delta = static_cast<short>(HIWORD(message->wParam));
        FUZZ_CHECK(delta == ((event.button == Button4 || event.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA));
        FUZZ_CHECK((message->wParam >> 32) == 0);
        checkKeyFlags(LOWORD(message->wParam), event.state, event.button, press);
        FUZZ_CHECK(LOWORD(message->lParam) == (static_cast<unsigned>(event.x_root) & 0xFFFF) &&
                   HIWORD(message->lParam) == (static_cast<unsigned>(event.y_root) & 0xFFFF));
        return;
    }
    const UINT down[] = {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
    const UINT up[] = {WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
    FUZZ_CHECK(message->message == (press ? down : up)[event.button - Button1]);
    checkKeyFlags(message->wParam, event.state, event.button, press);
    checkPacked(message->lParam, event.x, event.y);
}

void checkMotion(const XMotionEvent& event, int width, int height) {
    const auto message = translateMotion(event, width, height);
    FUZZ_CHECK(message.has_value() == inside(event.x, event.y, width, height));
    if (!message) return;
    FUZZ_CHECK(message->message == WM_MOUSEMOVE);
    checkKeyFlags(message->wParam, event.state, 0, false);
    checkPacked(message->lParam, event.x, event.y);
}

// Letters (either case, and the Turkish dotless i as I) and digits name their Windows key;
// F1 to F12 give theirs; everything else gives 0 or one of the few other keys the layer knows, never a
// letter or digit code.
void checkVirtualKey(KeySym keysym, UINT virtualKey) {
    if (keysym >= XK_a && keysym <= XK_z) {
        FUZZ_CHECK(virtualKey == 'A' + (keysym - XK_a));
    } else if (keysym == XK_idotless) {
        FUZZ_CHECK(virtualKey == 'I');
    } else if ((keysym >= XK_A && keysym <= XK_Z) || (keysym >= XK_0 && keysym <= XK_9)) {
        FUZZ_CHECK(virtualKey == keysym);
    } else {
        static const UINT kOthers[] = {0,         VK_BACK,  VK_TAB,  VK_RETURN, VK_SHIFT, VK_CONTROL, VK_MENU,
                                       VK_ESCAPE, VK_SPACE, VK_LEFT, VK_UP,     VK_RIGHT, VK_DOWN};
        bool known = keysym >= XK_F1 && keysym <= XK_F12 && virtualKey == VK_F1 + (keysym - XK_F1);
        for (const UINT other : kOthers) known = known || virtualKey == other;
        FUZZ_CHECK(known);
    }
}

// Any code a key gives is one the program could act on: a letter, a digit or one of the named keys.
bool isKnownVirtualKey(UINT virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) return true;
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12) return true;
    static const UINT kNamed[] = {VK_BACK,   VK_TAB,   VK_RETURN, VK_SHIFT, VK_CONTROL, VK_MENU,
                                  VK_ESCAPE, VK_SPACE, VK_LEFT,   VK_UP,    VK_RIGHT,   VK_DOWN};
    for (const UINT named : kNamed) {
        if (virtualKey == named) return true;
    }
    return false;
}

// The lParam of a key message: repeat count 1, the key's scan code and extended flag, Alt's bit, and the
// previous-state and transition bits as the press or release and the key's earlier state say.
void checkKeyLParam(LPARAM lParam, unsigned scan, bool alt, bool press, bool wasDown) {
    const auto bits = static_cast<uint32_t>(lParam);
    FUZZ_CHECK(lParam >= 0 && static_cast<uint64_t>(lParam) <= 0xFFFFFFFFu);
    FUZZ_CHECK((bits & 0xFFFF) == 1);
    FUZZ_CHECK(((bits >> 16) & 0xFF) == (scan & 0xFF));
    FUZZ_CHECK(((bits & (1u << 24)) != 0) == ((scan & 0x100) != 0));
    FUZZ_CHECK(((bits & (1u << 29)) != 0) == alt);
    FUZZ_CHECK(((bits & (1u << 30)) != 0) == (!press || wasDown));
    FUZZ_CHECK(((bits & (1u << 31)) != 0) == !press);
}

void checkKey(const XKeyEvent& event, KeySym keysym) {
    const UINT virtualKey = virtualKeyFromKeysym(keysym);
    checkVirtualKey(keysym, virtualKey);

    // A keymap whose only key is the event's, typing the fuzzed keysym unshifted in one group.
    KeyboardMap map;
    map.firstKeycode = event.keycode;
    LayoutKey key;
    key.groups.push_back({keysym, keysym});
    map.keys.push_back(key);
    const KeyLayout layout(map);
    const UINT expected = layout.virtualKey(event.keycode, XkbGroupForCoreState(event.state));
    FUZZ_CHECK(expected == 0 || isKnownVirtualKey(expected));

    // The event on a keyboard with nothing held, then once more with its key already down.
    KeyTranslator keys;
    const bool press = event.type == KeyPress;
    const bool keyEvent = press || event.type == KeyRelease;
    for (const bool wasDown : {false, true}) {
        const auto message = keys.translate(event, layout);
        FUZZ_CHECK(message.has_value() == (keyEvent && expected != 0));
        if (!message) continue;
        FUZZ_CHECK(message->wParam == expected);
        const bool alt = expected == VK_MENU ? press : (event.state & Mod1Mask) != 0;
        const bool control = expected == VK_CONTROL ? press : (event.state & ControlMask) != 0;
        const bool system = message->message == WM_SYSKEYDOWN || message->message == WM_SYSKEYUP;
        FUZZ_CHECK(message->message ==
                   (press ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP)));
        // Alt without Ctrl and F10 make system keys; a lone Alt press needs no earlier Alt to be one.
        if (expected == VK_F10 || (alt && !control && expected != VK_MENU && expected != VK_CONTROL))
            FUZZ_CHECK(system);
        if (control && expected != VK_CONTROL && expected != VK_F10) FUZZ_CHECK(!system);
        checkKeyLParam(message->lParam, layout.scanCode(event.keycode), alt, press, wasDown && press);

        // Translation adds a character message to presses only, with the key's lParam.
        const auto character = characterMessage(*message, 'a');
        FUZZ_CHECK(character.has_value() == press);
        if (character) {
            FUZZ_CHECK(character->message == (system ? WM_SYSCHAR : WM_CHAR) && character->wParam == 'a');
            FUZZ_CHECK(character->lParam == message->lParam);
        }
    }

    const KeyModifiers modifiers = modifiersFromState(event.state);
    FUZZ_CHECK(modifiers.shift == ((event.state & ShiftMask) != 0));
    FUZZ_CHECK(modifiers.control == ((event.state & ControlMask) != 0));
    FUZZ_CHECK(modifiers.alt == ((event.state & Mod1Mask) != 0));
}

void checkClientMessage(const XClientMessageEvent& event, const ProtocolAtoms& atoms, Window root) {
    const ProtocolRequest request = classifyClientMessage(event, atoms);
    const bool protocol = event.message_type == atoms.wmProtocols && event.format == 32;
    const Atom asked = static_cast<Atom>(event.data.l[0]);
    if (!protocol) {
        FUZZ_CHECK(request == ProtocolRequest::Other);
    } else if (asked == atoms.wmDeleteWindow) {
        FUZZ_CHECK(request == ProtocolRequest::Close);
    } else if (asked == atoms.netWmPing) {
        FUZZ_CHECK(request == ProtocolRequest::Ping);
    } else {
        FUZZ_CHECK(request == ProtocolRequest::Other);
    }

    // The window manager matches the reply by its contents: all but the window stays as it came.
    const XClientMessageEvent reply = pingReply(event, root);
    FUZZ_CHECK(reply.window == root);
    FUZZ_CHECK(reply.type == event.type && reply.serial == event.serial && reply.send_event == event.send_event);
    FUZZ_CHECK(reply.display == event.display && reply.message_type == event.message_type);
    FUZZ_CHECK(reply.format == event.format && std::memcmp(&reply.data, &event.data, sizeof event.data) == 0);
}

void checkConfigure(const XConfigureEvent& event, int width, int height) {
    const auto size = changedClientSize(event, width, height);
    // Only the server's own events resize; synthetic ones (send_event) are anyone's to forge.
    FUZZ_CHECK(size.has_value() == (!event.send_event && (event.width != width || event.height != height)));
    if (size) FUZZ_CHECK(size->width == event.width && size->height == event.height);
}

void checkSize(int width, int height) {
    const InputMessage message = sizeMessage(width, height);
    FUZZ_CHECK(message.message == WM_SIZE && message.wParam == SIZE_RESTORED);
    checkPacked(message.lParam, width, height);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int width = in.read<uint16_t>();
    const int height = in.read<uint16_t>();
    ProtocolAtoms atoms;
    atoms.wmProtocols = in.read<uint32_t>();
    atoms.wmDeleteWindow = in.read<uint32_t>();
    atoms.netWmPing = in.read<uint32_t>();
    const Window root = in.read<uint32_t>();
    const KeySym keysym = in.read<uint32_t>();

    XEvent event;
    std::memset(&event, 0, sizeof event);
    size_t count = 0;
    const uint8_t* bytes = in.rest(&count);
    std::memcpy(&event, bytes, count < sizeof event ? count : sizeof event);

    checkButton(event.xbutton, width, height);
    checkMotion(event.xmotion, width, height);
    checkKey(event.xkey, keysym);
    checkClientMessage(event.xclient, atoms, root);
    checkConfigure(event.xconfigure, width, height);
    checkSize(width, height);

    // Any int pair packs to its low words, never to a negative lParam.
    const LPARAM packed = packClientPoint(event.xbutton.x, event.xbutton.y);
    FUZZ_CHECK(packed >= 0 && LOWORD(packed) == (static_cast<unsigned>(event.xbutton.x) & 0xFFFF) &&
               HIWORD(packed) == (static_cast<unsigned>(event.xbutton.y) & 0xFFFF) && (packed >> 32) == 0);
    return 0;
}
