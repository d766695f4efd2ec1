// The keyboard layout that key events are translated with: the server's keymap copied into a plain
// table, copied again whenever the server says the keymap changed (setxkbmap, a new keyboard).

#include <X11/XKBlib.h>

#include <cstring>

#include "layer.h"

namespace {

GroupOverflow overflowOf(unsigned char groupInfo) {
    switch (XkbOutOfRangeGroupAction(groupInfo)) {
    case XkbClampIntoRange:
        return GroupOverflow::Clamp;
    case XkbRedirectIntoRange:
        return GroupOverflow::Redirect;
    default:
        return GroupOverflow::Wrap;
    }
}

// Levels 0 and 1 of every group of every key, with the keys' XKB names; false when the server did
// not answer.
bool readXkbMap(Display* display, KeyboardMap& map) {
    XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb) return false;
    // Without names every key falls back to the keymap's own letters; that is still a usable map.
    const bool named = XkbGetNames(display, XkbKeyNamesMask, xkb) == Success && xkb->names && xkb->names->keys;
    map.firstKeycode = xkb->min_key_code;
    map.keys.clear();
    for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
        LayoutKey key;
        if (named) {
            const char* name = xkb->names->keys[keycode].name;
            key.name.assign(name, strnlen(name, XkbKeyNameLength));
        }
        const int groups = XkbKeyNumGroups(xkb, keycode);
        for (int group = 0; group < groups; ++group) {
            const int width = XkbKeyGroupWidth(xkb, keycode, group);
            key.groups.push_back({width > 0 ? XkbKeySymEntry(xkb, keycode, 0, group) : NoSymbol,
                                  width > 1 ? XkbKeySymEntry(xkb, keycode, 1, group) : NoSymbol});
        }
        const unsigned char groupInfo = XkbKeyGroupInfo(xkb, keycode);
        key.overflow = overflowOf(groupInfo);
        key.redirectGroup = XkbOutOfRangeGroupNumber(groupInfo);
        map.keys.push_back(std::move(key));
    }
    XkbFreeKeyboard(xkb, 0, True);
    return true;
}

// A server without XKB: the core keymap, whose columns 0 and 1 are the first group and 2 and 3 the
// second (reached with Mode_switch, which such events do not report as a group).
void readCoreMap(Display* display, KeyboardMap& map) {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    KeySym* keysyms =
        XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
    map.firstKeycode = static_cast<unsigned>(minKeycode);
    map.keys.clear();
    if (!keysyms) return;
    auto column = [&](int keycode, int index) {
        return index < perKeycode ? keysyms[(keycode - minKeycode) * perKeycode + index] : NoSymbol;
    };
    for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
        LayoutKey key;
        key.groups.push_back({column(keycode, 0), column(keycode, 1)});
        if (column(keycode, 2) != NoSymbol || column(keycode, 3) != NoSymbol)
            key.groups.push_back({column(keycode, 2), column(keycode, 3)});
        map.keys.push_back(std::move(key));
    }
    XFree(keysyms);
}

// Asks for XKB's keymap notifications once; before that the layout is read on first use anyway.
void watchKeymap(Display* display, LayerState& state) {
    state.keymapWatched = true;
    int opcode = 0;
    int eventBase = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor)) return;
    state.xkbEventBase = eventBase;
    const unsigned long events = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(display, XkbUseCoreKbd, events, events);
    // Auto-repeat as presses alone, as Windows sends it; where the server cannot, the message pump
    // folds its release/press pairs instead.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
}

} // namespace

const KeyLayout& keyLayout() {
    LayerState& state = layer();
    if (!state.display) return state.keyLayout;
    if (!state.keymapWatched) watchKeymap(state.display, state);
    if (state.keyLayoutStale) {
        KeyboardMap map;
        if (state.xkbEventBase < 0 || !readXkbMap(state.display, map)) readCoreMap(state.display, map);
        state.keyLayout = KeyLayout(std::move(map));
        state.keyLayoutStale = false;
    }
    return state.keyLayout;
}

unsigned char typedCharacter(unsigned keycode, unsigned state) {
    Display* display = layer().display;
    if (!display || ((state & ControlMask) && (state & Mod1Mask))) return 0;
    XKeyEvent event = {};
    event.type = KeyPress;
    event.display = display;
    event.keycode = keycode;
    event.state = state;
    char text[8] = {};
    KeySym keysym = NoSymbol;
    // Latin-1 text, which Windows-1252 shares apart from its 0x80..0x9F.
    const int length = XLookupString(&event, text, sizeof text, &keysym, nullptr);
    const auto typed = static_cast<unsigned char>(text[0]);
    if (length != 1 || typed == 0x7F || (typed >= 0x80 && typed < 0xA0)) return 0;
    return typed;
}

bool noteKeymapChange(XEvent& event) {
    LayerState& state = layer();
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        state.keyLayoutStale = true;
        return true;
    }
    if (state.xkbEventBase < 0 || event.type != state.xkbEventBase) return false;
    auto& xkbEvent = reinterpret_cast<XkbEvent&>(event);
    if (xkbEvent.any.xkb_type == XkbMapNotify) {
        // Selecting this stops the core MappingNotify, so Xlib's own keysym tables are refreshed here.
        XkbRefreshKeyboardMapping(&xkbEvent.map);
        state.keyLayoutStale = true;
    } else if (xkbEvent.any.xkb_type == XkbNewKeyboardNotify) {
        state.keyLayoutStale = true;
    }
    return true;
}
