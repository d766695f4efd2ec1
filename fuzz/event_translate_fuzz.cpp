// The X event translators on events made of arbitrary bytes: a mouse message only for a point inside
// the client area, with that point packed so that LOWORD and HIWORD give it back; key, protocol and
// configure events give exactly what their fields say.
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

void checkButton(const XButtonEvent& event, int width, int height) {
    const auto message = translateButton(event, width, height);
    const bool known = event.button == Button1 || event.button == Button3;
    FUZZ_CHECK(message.has_value() == (known && inside(event.x, event.y, width, height)));
    if (!message) return;
    const bool press = event.type == ButtonPress;
    const UINT expected =
        event.button == Button1 ? (press ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (press ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    FUZZ_CHECK(message->message == expected);
    FUZZ_CHECK(message->wParam == 0);
    checkPacked(message->lParam, event.x, event.y);
}

void checkMotion(const XMotionEvent& event, int width, int height) {
    const auto message = translateMotion(event, width, height);
    FUZZ_CHECK(message.has_value() == inside(event.x, event.y, width, height));
    if (!message) return;
    FUZZ_CHECK(message->message == WM_MOUSEMOVE && message->wParam == 0);
    checkPacked(message->lParam, event.x, event.y);
}

// Letters (either case, and the Turkish dotless i as I) and digits name their Windows key;
// everything else gives 0 or one of the few other keys the layer knows, never a letter or digit code.
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
        bool known = false;
        for (const UINT other : kOthers) known = known || virtualKey == other;
        FUZZ_CHECK(known);
    }
}

// Any code a key gives is one the program could act on: a letter, a digit or one of the named keys.
bool isKnownVirtualKey(UINT virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) return true;
    static const UINT kNamed[] = {VK_BACK,   VK_TAB,   VK_RETURN, VK_SHIFT, VK_CONTROL, VK_MENU,
                                  VK_ESCAPE, VK_SPACE, VK_LEFT,   VK_UP,    VK_RIGHT,   VK_DOWN};
    for (const UINT named : kNamed) {
        if (virtualKey == named) return true;
    }
    return false;
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
    const auto message = translateKey(event, layout);
    FUZZ_CHECK(message.has_value() == (event.type == KeyPress && expected != 0));
    if (message) FUZZ_CHECK(message->message == WM_KEYDOWN && message->wParam == expected && message->lParam == 1);

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
