#pragma once
// Which Windows virtual key a physical key gives under the keyboard's current layout, from a plain
// copy of the server's keymap. Windows gives a key the code of the Latin letter it types, and on a
// layout that types no Latin letters (Cyrillic, Greek, ...) the code of the US letter at its position,
// so shortcuts keep working whatever the layout; Shift, Caps Lock and the other modifiers never
// change the code. X reports keycodes and a group (the active layout) instead, and this turns them
// into the Windows code.

#include <X11/X.h>

#include <array>
#include <string>
#include <vector>

#include "win32_api.h"

// How XKB brings a group that a key does not have into the key's range.
enum class GroupOverflow { Wrap, Clamp, Redirect };

// One keycode of the keymap.
struct LayoutKey {
    // The key's position as XKB names it ("AD01" is the key of US Q), empty when the server gave none.
    std::string name;
    // Per group the key has: its keysyms without modifiers (level 0) and with Shift (level 1).
    std::vector<std::array<KeySym, 2>> groups;
    GroupOverflow overflow = GroupOverflow::Wrap;
    unsigned redirectGroup = 0; // the group Redirect uses
};

// The keymap as the server holds it: keys[i] is keycode firstKeycode + i.
struct KeyboardMap {
    unsigned firstKeycode = 8;
    std::vector<LayoutKey> keys;
};

class KeyLayout {
public:
    KeyLayout() = default; // no keys: every key gives 0
    explicit KeyLayout(KeyboardMap map);

    // The virtual-key code of the key under the given group (the event's XKB group, 0 to 3); 0 when
    // the key has no Windows code the program could act on.
    UINT virtualKey(unsigned keycode, unsigned group) const;

    // Whether the group's unshifted keysyms include most of the Latin alphabet.
    bool typesLatin(unsigned group) const { return group < latinGroups_.size() && latinGroups_[group]; }

    bool empty() const { return map_.keys.empty(); }

    // The key's scan code as Windows numbers the position, plus 0x100 for an extended key; 0 when unknown.
    unsigned scanCode(unsigned keycode) const;

private:
    const LayoutKey* key(unsigned keycode) const;

    KeyboardMap map_;
    unsigned groupCount_ = 0; // the most groups any key has, at most 4
    std::array<bool, 4> latinGroups_ = {};
    // Per key: the upper-case US letter at its position, 0 for keys that are not letter keys.
    std::vector<char> usLetters_;
    // Per key: its scan code (see scanCode).
    std::vector<unsigned> scanCodes_;
};

// The Windows virtual-key code of a keysym; letters give their upper-case code; 0 when there is none.
UINT virtualKeyFromKeysym(KeySym keysym);

// The group a key uses when the keyboard's group is `group`, the way XKB brings it into the key's
// range; the key must have at least one group.
unsigned effectiveGroup(const LayoutKey& key, unsigned group);

// The US letter of an XKB key name in the letter block (AD01..AD10, AC01..AC09, AB01..AB07), else 0.
char usLetterOfKeyName(const std::string& name);

// The US letter of a keycode on the evdev and xfree86 keycode sets, which number the letter block
// alike; for servers that name no keys.
char usLetterOfKeycode(unsigned keycode);

// The scan code of an XKB key name ("AC01" is 0x1E, "UP" is 0x148 with the extended flag), else 0.
unsigned scanCodeOfKeyName(const std::string& name);

// The scan code of a keycode on the evdev and xfree86 keycode sets, which agree up to F12; else 0.
unsigned scanCodeOfKeycode(unsigned keycode);
