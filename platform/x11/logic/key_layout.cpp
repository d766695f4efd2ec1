// Windows virtual-key codes of physical keys under the keyboard's current layout.

#include "key_layout.h"

#include <X11/keysym.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <utility>

namespace {

// A group "types Latin" when its unshifted keys give at least this many different letters; a few
// stray Latin keysyms on a Cyrillic or Greek layout do not make it one.
constexpr int kLatinLetterThreshold = 13;

// The letter block's rows by XKB key name, each from column 01 on.
struct LetterRow {
    const char* prefix;
    const char* letters;
};
constexpr LetterRow kUsLetterRows[] = {{"AD", "QWERTYUIOP"}, {"AC", "ASDFGHJKL"}, {"AB", "ZXCVBNM"}};

// The same rows by keycode: evdev numbers keys as the Linux scan code plus 8 and xfree86 as the AT
// scan code plus 8, which agree on the letter block.
struct KeycodeRow {
    unsigned first;
    const char* letters;
};
constexpr KeycodeRow kUsKeycodeRows[] = {{24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};

// The upper-case letter of a Latin letter keysym, else 0.
char latinLetter(KeySym keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return static_cast<char>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z) return static_cast<char>('A' + (keysym - XK_A));
    return 0;
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

// Windows numbers keys by their scan code set 1 make code; keys whose code follows an E0 prefix are
// "extended" (KF_EXTENDED), written here as 0x100 plus the code. XKB names the positions.
struct NamedScanCode {
    const char* name;
    unsigned scanCode;
};
constexpr NamedScanCode kScanCodes[] = {
    {"ESC", 0x01},   {"TLDE", 0x29},  {"BKSP", 0x0E},  {"TAB", 0x0F},   {"BKSL", 0x2B},  {"RTRN", 0x1C},
    {"CAPS", 0x3A},  {"LFSH", 0x2A},  {"RTSH", 0x36},  {"LCTL", 0x1D},  {"LALT", 0x38},  {"SPCE", 0x39},
    {"LSGT", 0x56},  {"KPMU", 0x37},  {"NMLK", 0x145}, {"SCLK", 0x46},  {"KP7", 0x47},   {"KP8", 0x48},
    {"KP9", 0x49},   {"KPSU", 0x4A},  {"KP4", 0x4B},   {"KP5", 0x4C},   {"KP6", 0x4D},   {"KPAD", 0x4E},
    {"KP1", 0x4F},   {"KP2", 0x50},   {"KP3", 0x51},   {"KP0", 0x52},   {"KPDL", 0x53},  {"FK11", 0x57},
    {"FK12", 0x58},  {"PAUS", 0x45},  {"KPEN", 0x11C}, {"RCTL", 0x11D}, {"KPDV", 0x135}, {"PRSC", 0x137},
    {"RALT", 0x138}, {"HOME", 0x147}, {"UP", 0x148},   {"PGUP", 0x149}, {"LEFT", 0x14B}, {"RGHT", 0x14D},
    {"END", 0x14F},  {"DOWN", 0x150}, {"PGDN", 0x151}, {"INS", 0x152},  {"DELE", 0x153}, {"LWIN", 0x15B},
    {"RWIN", 0x15C}, {"COMP", 0x15D}, {"MENU", 0x15D},
};

// The rows of the main block whose keys are numbered in order from column 01: AE01 (1) is 0x02.
struct ScanRow {
    const char* prefix;
    unsigned first;
    unsigned columns;
};
constexpr ScanRow kScanRows[] = {{"AE", 0x02, 12}, {"AD", 0x10, 12}, {"AC", 0x1E, 11}, {"AB", 0x2C, 10}};

// Evdev and xfree86 keycodes are the scan code plus 8 up to F12; beyond it they differ.
constexpr unsigned kLastPlainScanCode = 0x58;

} // namespace

unsigned scanCodeOfKeyName(const std::string& name) {
    for (const NamedScanCode& entry : kScanCodes) {
        if (name == entry.name) return entry.scanCode;
    }
    if (name.size() == 4 && name[2] >= '0' && name[2] <= '9' && name[3] >= '0' && name[3] <= '9') {
        const unsigned column = static_cast<unsigned>((name[2] - '0') * 10 + (name[3] - '0'));
        if (name.compare(0, 2, "FK") == 0 && column >= 1 && column <= 10) return 0x3B + column - 1;
        for (const ScanRow& row : kScanRows) {
            if (name.compare(0, 2, row.prefix) == 0 && column >= 1 && column <= row.columns)
                return row.first + column - 1;
        }
    }
    return 0;
}

unsigned scanCodeOfKeycode(unsigned keycode) {
    return keycode > 8 && keycode - 8 <= kLastPlainScanCode ? keycode - 8 : 0;
}

UINT virtualKeyFromKeysym(KeySym keysym) {
    if (const char letter = latinLetter(keysym)) return static_cast<UINT>(letter);
    // Turkish layouts type a dotless i on the key labelled I, which Windows gives VK_I.
    if (keysym == XK_idotless) return 'I';
    if (keysym >= XK_0 && keysym <= XK_9) return static_cast<UINT>('0' + (keysym - XK_0));
    if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<UINT>(VK_F1 + (keysym - XK_F1));
    for (const KeyMapping& mapping : kKeyMappings) {
        if (mapping.keysym == keysym) return mapping.virtualKey;
    }
    return 0;
}

unsigned effectiveGroup(const LayoutKey& key, unsigned group) {
    const unsigned count = static_cast<unsigned>(key.groups.size());
    if (group < count) return group;
    switch (key.overflow) {
    case GroupOverflow::Clamp:
        return count - 1;
    case GroupOverflow::Redirect:
        return key.redirectGroup < count ? key.redirectGroup : 0;
    case GroupOverflow::Wrap:
        break;
    }
    return group % count;
}

char usLetterOfKeyName(const std::string& name) {
    if (name.size() != 4) return 0;
    for (const LetterRow& row : kUsLetterRows) {
        if (name.compare(0, 2, row.prefix) != 0) continue;
        const char tens = name[2];
        const char units = name[3];
        if (tens < '0' || tens > '9' || units < '0' || units > '9') return 0;
        const size_t column = static_cast<size_t>((tens - '0') * 10 + (units - '0'));
        if (column < 1 || column > std::strlen(row.letters)) return 0;
        return row.letters[column - 1];
    }
    return 0;
}

char usLetterOfKeycode(unsigned keycode) {
    for (const KeycodeRow& row : kUsKeycodeRows) {
        if (keycode >= row.first && keycode < row.first + std::strlen(row.letters))
            return row.letters[keycode - row.first];
    }
    return 0;
}

KeyLayout::KeyLayout(KeyboardMap map) : map_(std::move(map)) {
    // XKB stores a key's groups only up to its last one that differs (the letter A is one group on
    // us,us(dvorak)), so every key is read through the group it actually uses.
    size_t groupCount = 0;
    for (const LayoutKey& key : map_.keys) groupCount = std::max(groupCount, key.groups.size());
    groupCount_ = static_cast<unsigned>(std::min(groupCount, latinGroups_.size()));
    auto unshifted = [](const LayoutKey& key, size_t group) {
        return key.groups.empty() ? KeySym{NoSymbol} : key.groups[effectiveGroup(key, static_cast<unsigned>(group))][0];
    };

    int firstLatinGroup = -1;
    for (size_t group = 0; group < groupCount_; ++group) {
        std::bitset<26> letters;
        for (const LayoutKey& key : map_.keys) {
            if (const char letter = latinLetter(unshifted(key, group))) letters.set(static_cast<size_t>(letter - 'A'));
        }
        latinGroups_[group] = letters.count() >= kLatinLetterThreshold;
        if (latinGroups_[group] && firstLatinGroup < 0) firstLatinGroup = static_cast<int>(group);
    }

    // A key's US letter comes from its XKB name, which is its position whatever the layouts. A server
    // that names no keys has no XKB, so the letters come from a Latin group of the keymap if there is
    // one, and from the usual keycode numbering only as a last resort.
    usLetters_.reserve(map_.keys.size());
    scanCodes_.reserve(map_.keys.size());
    for (size_t i = 0; i < map_.keys.size(); ++i) {
        const LayoutKey& key = map_.keys[i];
        char letter = 0;
        if (!key.name.empty())
            letter = usLetterOfKeyName(key.name);
        else if (firstLatinGroup >= 0)
            letter = latinLetter(unshifted(key, static_cast<size_t>(firstLatinGroup)));
        else
            letter = usLetterOfKeycode(map_.firstKeycode + static_cast<unsigned>(i));
        usLetters_.push_back(letter);
        scanCodes_.push_back(key.name.empty() ? scanCodeOfKeycode(map_.firstKeycode + static_cast<unsigned>(i))
                                              : scanCodeOfKeyName(key.name));
    }
}

const LayoutKey* KeyLayout::key(unsigned keycode) const {
    if (keycode < map_.firstKeycode || keycode - map_.firstKeycode >= map_.keys.size()) return nullptr;
    return &map_.keys[keycode - map_.firstKeycode];
}

UINT KeyLayout::virtualKey(unsigned keycode, unsigned group) const {
    const LayoutKey* found = key(keycode);
    if (!found || found->groups.empty()) return 0;
    group %= groupCount_; // XKB wraps the keyboard's group into range the same way by default
    const char usLetter = usLetters_[keycode - map_.firstKeycode];
    // Windows keeps the letter keys on their US letters where the layout has no Latin ones, which
    // is what lets Ctrl+X work on a Russian keyboard.
    if (usLetter && !typesLatin(group)) return static_cast<UINT>(usLetter);

    // Level 0: Shift and Caps Lock do not change the code.
    const std::array<KeySym, 2>& levels = found->groups[effectiveGroup(*found, group)];
    if (const UINT code = virtualKeyFromKeysym(levels[0])) return code;
    // Layouts such as AZERTY put the digits on Shift; their digit row still gives the digit codes.
    if (levels[1] >= XK_0 && levels[1] <= XK_9) return static_cast<UINT>('0' + (levels[1] - XK_0));
    return 0;
}

unsigned KeyLayout::scanCode(unsigned keycode) const {
    return key(keycode) ? scanCodes_[keycode - map_.firstKeycode] : 0;
}
