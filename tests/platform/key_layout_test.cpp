// Key events under hand-made keymaps, laid out as XKB reports the real layouts: which virtual key a
// physical key gives, as Windows would give it, and what that does to the program's shortcuts.

// gtest before Xlib, whose None macro would break gtest's internal::None.
#include <gtest/gtest.h>

#include "accelerator_match.h"
#include "event_translate.h"
#include "key_layout.h"

#include <X11/keysym.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Keycodes of the evdev set, as on Xvfb and on Linux desktops.
constexpr unsigned kEscape = 9;
constexpr unsigned kControlL = 37;
constexpr unsigned kQ = 24;         // AD01
constexpr unsigned kY = 29;         // AD06
constexpr unsigned kI = 31;         // AD08
constexpr unsigned kG = 42;         // AC05
constexpr unsigned kZ = 52;         // AB01
constexpr unsigned kX = 53;         // AB02
constexpr unsigned kV = 55;         // AB04
constexpr unsigned kB = 56;         // AB05
constexpr unsigned kM = 58;         // AB07
constexpr unsigned kPeriodKey = 60; // AB09
constexpr unsigned kSlashKey = 61;  // AB10

// The number row and the letter block by XKB name, with their evdev keycodes.
struct Row {
    const char* prefix;
    unsigned firstKeycode;
};
constexpr Row kNumberRow = {"AE", 10};
constexpr Row kTopRow = {"AD", 24};
constexpr Row kHomeRow = {"AC", 38};
constexpr Row kBottomRow = {"AB", 52};

std::vector<KeySym> ascii(const std::string& text) { return std::vector<KeySym>(text.begin(), text.end()); }

KeySym shiftedOf(KeySym keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return keysym - XK_a + XK_A;
    if (keysym >= XK_Cyrillic_yu && keysym <= XK_Cyrillic_hardsign) return keysym + 0x20; // upper case
    return NoSymbol;
}

// Builds a keymap group by group, then stores each key the way XKB does: a key whose groups are all
// alike keeps only one, and the others reach it by wrapping.
class MapBuilder {
public:
    MapBuilder() {
        map_.firstKeycode = 8;
        map_.keys.resize(248);
    }

    // Columns 01 on of a row in one group; shifted defaults to the upper case of letters.
    MapBuilder& row(Row row, unsigned group, const std::vector<KeySym>& unshifted,
                    const std::vector<KeySym>& shifted = {}) {
        for (size_t i = 0; i < unshifted.size(); ++i) {
            const std::string name =
                std::string(row.prefix) + static_cast<char>('0' + (i + 1) / 10) + static_cast<char>('0' + (i + 1) % 10);
            set(row.firstKeycode + static_cast<unsigned>(i), name, group,
                {unshifted[i], i < shifted.size() ? shifted[i] : shiftedOf(unshifted[i])});
        }
        return *this;
    }

    MapBuilder& set(unsigned keycode, const std::string& name, unsigned group, std::array<KeySym, 2> levels) {
        LayoutKey& key = map_.keys[keycode - map_.firstKeycode];
        key.name = name;
        if (key.groups.size() <= group) key.groups.resize(group + 1, {NoSymbol, NoSymbol});
        key.groups[group] = levels;
        return *this;
    }

    // Escape and Control, one group each, as every layout has them.
    MapBuilder& controlKeys() {
        set(kEscape, "ESC", 0, {XK_Escape, NoSymbol});
        return set(kControlL, "LCTL", 0, {XK_Control_L, NoSymbol});
    }

    MapBuilder& withoutNames() {
        unnamed_ = true;
        return *this;
    }

    KeyboardMap map() const {
        KeyboardMap map = map_;
        for (LayoutKey& key : map.keys) {
            if (unnamed_) key.name.clear();
            bool alike = true;
            for (const auto& levels : key.groups) alike = alike && levels == key.groups.front();
            if (alike && key.groups.size() > 1) key.groups.resize(1);
        }
        return map;
    }

    KeyLayout layout() const { return KeyLayout(map()); }

private:
    KeyboardMap map_;
    bool unnamed_ = false;
};

MapBuilder& us(MapBuilder& builder, unsigned group) {
    return builder.row(kNumberRow, group, ascii("1234567890-="))
        .row(kTopRow, group, ascii("qwertyuiop[]"))
        .row(kHomeRow, group, ascii("asdfghjkl;'"))
        .row(kBottomRow, group, ascii("zxcvbnm,./"));
}

MapBuilder& german(MapBuilder& builder, unsigned group) {
    std::vector<KeySym> numbers = ascii("1234567890");
    numbers.insert(numbers.end(), {XK_ssharp, XK_dead_acute});
    std::vector<KeySym> top = ascii("qwertzuiop");
    top.insert(top.end(), {XK_udiaeresis, XK_plus});
    std::vector<KeySym> home = ascii("asdfghjkl");
    home.insert(home.end(), {XK_odiaeresis, XK_adiaeresis});
    return builder.row(kNumberRow, group, numbers)
        .row(kTopRow, group, top)
        .row(kHomeRow, group, home)
        .row(kBottomRow, group, ascii("yxcvbnm,.-"));
}

// AZERTY: the digits are on Shift.
MapBuilder& french(MapBuilder& builder, unsigned group) {
    const std::vector<KeySym> numbers = {XK_ampersand, XK_eacute, XK_quotedbl,  XK_apostrophe,
                                         XK_parenleft, XK_minus,  XK_egrave,    XK_underscore,
                                         XK_ccedilla,  XK_agrave, XK_parenright};
    std::vector<KeySym> top = ascii("azertyuiop");
    top.insert(top.end(), {XK_dead_circumflex, XK_dollar});
    std::vector<KeySym> home = ascii("qsdfghjklm");
    home.push_back(XK_ugrave);
    return builder.row(kNumberRow, group, numbers, ascii("1234567890"))
        .row(kTopRow, group, top)
        .row(kHomeRow, group, home)
        .row(kBottomRow, group, ascii("wxcvbn,;:!"));
}

// Turkish Q: dotless i on the US I key, i (shifted: I with a dot) right of the s-cedilla.
MapBuilder& turkish(MapBuilder& builder, unsigned group) {
    std::vector<KeySym> top = ascii("qwertyu");
    top.insert(top.end(), {XK_idotless, XK_o, XK_p, XK_gbreve, XK_udiaeresis});
    std::vector<KeySym> topShifted = ascii("QWERTYUIOP");
    topShifted.insert(topShifted.end(), {XK_Gbreve, XK_Udiaeresis});
    std::vector<KeySym> home = ascii("asdfghjkl");
    home.insert(home.end(), {XK_scedilla, XK_i});
    std::vector<KeySym> homeShifted = ascii("ASDFGHJKL");
    homeShifted.insert(homeShifted.end(), {XK_Scedilla, XK_Iabovedot});
    std::vector<KeySym> bottom = ascii("zxcvbnm");
    bottom.insert(bottom.end(), {XK_odiaeresis, XK_ccedilla, XK_period});
    return builder.row(kNumberRow, group, ascii("1234567890*-"))
        .row(kTopRow, group, top, topShifted)
        .row(kHomeRow, group, home, homeShifted)
        .row(kBottomRow, group, bottom);
}

MapBuilder& dvorak(MapBuilder& builder, unsigned group) {
    return builder.row(kNumberRow, group, ascii("1234567890[]"))
        .row(kTopRow, group, ascii("',.pyfgcrl/="))
        .row(kHomeRow, group, ascii("aoeuidhtns-"))
        .row(kBottomRow, group, ascii(";qjkxbmwvz"));
}

MapBuilder& russian(MapBuilder& builder, unsigned group) {
    return builder.row(kNumberRow, group, ascii("1234567890-="))
        .row(kTopRow, group,
             {XK_Cyrillic_shorti, XK_Cyrillic_tse, XK_Cyrillic_u, XK_Cyrillic_ka, XK_Cyrillic_ie, XK_Cyrillic_en,
              XK_Cyrillic_ghe, XK_Cyrillic_sha, XK_Cyrillic_shcha, XK_Cyrillic_ze, XK_Cyrillic_ha,
              XK_Cyrillic_hardsign})
        .row(kHomeRow, group,
             {XK_Cyrillic_ef, XK_Cyrillic_yeru, XK_Cyrillic_ve, XK_Cyrillic_a, XK_Cyrillic_pe, XK_Cyrillic_er,
              XK_Cyrillic_o, XK_Cyrillic_el, XK_Cyrillic_de, XK_Cyrillic_zhe, XK_Cyrillic_e})
        .row(kBottomRow, group,
             {XK_Cyrillic_ya, XK_Cyrillic_che, XK_Cyrillic_es, XK_Cyrillic_em, XK_Cyrillic_i, XK_Cyrillic_te,
              XK_Cyrillic_softsign, XK_Cyrillic_be, XK_Cyrillic_yu, XK_period});
}

// The X event of a key, with the group in the state's XKB bits as the server reports it.
XKeyEvent keyEvent(int type, unsigned keycode, unsigned group = 0, unsigned modifiers = 0) {
    XKeyEvent event = {};
    event.type = type;
    event.keycode = keycode;
    event.state = modifiers | (group << 13);
    return event;
}

// The virtual key a press gives, or 0 when it gives no message.
UINT press(const KeyLayout& layout, unsigned keycode, unsigned group = 0, unsigned modifiers = 0) {
    const auto message = KeyTranslator().translate(keyEvent(KeyPress, keycode, group, modifiers), layout);
    if (!message) return 0;
    EXPECT_EQ(message->message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(message->lParam & 0xC000FFFF, 1) << "one press: repeat count 1, not held before, going down";
    return static_cast<UINT>(message->wParam);
}

// The letters the 26 letter keys give, in US order (QWERTY...M); '.' for a key that gives none.
std::string letterKeys(const KeyLayout& layout, unsigned group) {
    const std::pair<Row, unsigned> letterBlock[] = {{kTopRow, 10}, {kHomeRow, 9}, {kBottomRow, 7}};
    std::string letters;
    for (const auto& [row, columns] : letterBlock) {
        for (unsigned column = 0; column < columns; ++column) {
            const UINT code = press(layout, row.firstKeycode + column, group);
            letters += code ? static_cast<char>(code) : '.';
        }
    }
    return letters;
}

std::string numberRow(const KeyLayout& layout, unsigned group) {
    std::string digits;
    for (unsigned keycode = kNumberRow.firstKeycode; keycode < kNumberRow.firstKeycode + 10; ++keycode) {
        const UINT code = press(layout, keycode, group);
        digits += code ? static_cast<char>(code) : '.';
    }
    return digits;
}

constexpr const char* kQwerty = "QWERTYUIOPASDFGHJKLZXCVBNM";

const ACCEL kExitTable[] = {{FVIRTKEY | FCONTROL | FNOINVERT, 'X', 40003}};

// The command the program's accelerator table makes of a key pressed with the given modifiers.
WORD command(const KeyLayout& layout, unsigned keycode, unsigned group, unsigned modifiers) {
    const XKeyEvent event = keyEvent(KeyPress, keycode, group, modifiers);
    const auto message = KeyTranslator().translate(event, layout);
    if (!message) return 0;
    const ACCEL* entry =
        matchAccelerator(kExitTable, 1, message->message, message->wParam, modifiersFromState(event.state));
    return entry ? entry->cmd : 0;
}

} // namespace

TEST(KeyLayouts, UsLettersDigitsAndNamedKeys) {
    MapBuilder builder;
    const KeyLayout layout = us(builder, 0).controlKeys().layout();
    EXPECT_EQ(letterKeys(layout, 0), kQwerty);
    EXPECT_EQ(numberRow(layout, 0), "1234567890");
    EXPECT_EQ(press(layout, kEscape), static_cast<UINT>(VK_ESCAPE));
    EXPECT_EQ(press(layout, kControlL), static_cast<UINT>(VK_CONTROL));
    EXPECT_EQ(press(layout, kSlashKey), 0u) << "punctuation has no code the program uses";
}

TEST(KeyLayouts, ShiftCapsLockAndOtherModifiersDoNotChangeTheCode) {
    MapBuilder builder;
    const KeyLayout latin = us(builder, 0).layout();
    MapBuilder cyrillic;
    const KeyLayout russianOnly = russian(cyrillic, 0).layout();
    for (unsigned state : {0u, unsigned{ShiftMask}, unsigned{LockMask}, unsigned{ShiftMask | LockMask},
                           unsigned{ControlMask | Mod1Mask | Mod2Mask}}) {
        EXPECT_EQ(press(latin, kV, 0, state), static_cast<UINT>('V')) << state;
        EXPECT_EQ(press(russianOnly, kV, 0, state), static_cast<UINT>('V')) << state;
        EXPECT_EQ(press(latin, kNumberRow.firstKeycode, 0, state), static_cast<UINT>('1')) << state;
    }
}

TEST(KeyLayouts, GermanSwapsZAndY) {
    MapBuilder builder;
    const KeyLayout layout = german(builder, 0).layout();
    EXPECT_EQ(letterKeys(layout, 0), "QWERTZUIOPASDFGHJKLYXCVBNM");
    EXPECT_EQ(press(layout, kTopRow.firstKeycode + 10), 0u) << "u-umlaut has no code here";
}

TEST(KeyLayouts, TurkishDotlessIKeyIsTheIKey) {
    MapBuilder builder;
    const KeyLayout layout = turkish(builder, 0).layout();
    EXPECT_EQ(letterKeys(layout, 0), kQwerty) << "the key labelled I types a dotless i";
    EXPECT_EQ(press(layout, kHomeRow.firstKeycode + 10), static_cast<UINT>('I')) << "the dotted i is an I too";
}

TEST(KeyLayouts, FrenchAzertyLettersAndDigitsOnShift) {
    MapBuilder builder;
    const KeyLayout layout = french(builder, 0).layout();
    EXPECT_EQ(letterKeys(layout, 0), "AZERTYUIOPQSDFGHJKLWXCVBN.");
    EXPECT_EQ(press(layout, kHomeRow.firstKeycode + 9), static_cast<UINT>('M')) << "M sits right of L";
    EXPECT_EQ(numberRow(layout, 0), "1234567890");
}

TEST(KeyLayouts, DvorakAsSecondGroupFollowsTheActiveGroup) {
    MapBuilder builder;
    const KeyLayout layout = dvorak(us(builder, 0), 1).controlKeys().layout();
    EXPECT_TRUE(layout.typesLatin(0));
    EXPECT_TRUE(layout.typesLatin(1));
    EXPECT_EQ(letterKeys(layout, 0), kQwerty);
    // A and M are alike in both groups and so stored once: they are reached by wrapping.
    EXPECT_EQ(letterKeys(layout, 1), "...PYFGCRLAOEUIDHTN.QJKXBM");
    EXPECT_EQ(press(layout, kG, 1), static_cast<UINT>('I'));
    EXPECT_EQ(press(layout, kI, 1), static_cast<UINT>('C'));
    EXPECT_EQ(press(layout, kPeriodKey, 1), static_cast<UINT>('V'));
    EXPECT_EQ(press(layout, kB, 1), static_cast<UINT>('X'));
    EXPECT_EQ(press(layout, kEscape, 1), static_cast<UINT>(VK_ESCAPE));
    EXPECT_EQ(numberRow(layout, 1), "1234567890");
}

TEST(KeyLayouts, RussianLetterKeysGiveTheirUsLetters) {
    MapBuilder builder;
    const KeyLayout layout = russian(builder, 0).controlKeys().layout();
    EXPECT_FALSE(layout.typesLatin(0));
    EXPECT_EQ(letterKeys(layout, 0), kQwerty);
    EXPECT_EQ(numberRow(layout, 0), "1234567890");
    EXPECT_EQ(press(layout, kTopRow.firstKeycode + 10), 0u) << "Cyrillic HA is beyond the US letters";
    EXPECT_EQ(press(layout, kSlashKey), 0u);
    EXPECT_EQ(press(layout, kEscape), static_cast<UINT>(VK_ESCAPE));
}

TEST(KeyLayouts, RussianWithUsGivesTheSameLettersInEitherGroup) {
    MapBuilder ruUs;
    const KeyLayout russianFirst = us(russian(ruUs, 0), 1).controlKeys().layout();
    MapBuilder usRu;
    const KeyLayout usFirst = russian(us(usRu, 0), 1).controlKeys().layout();
    for (unsigned group : {0u, 1u}) {
        EXPECT_EQ(letterKeys(russianFirst, group), kQwerty) << "ru,us group " << group;
        EXPECT_EQ(letterKeys(usFirst, group), kQwerty) << "us,ru group " << group;
        EXPECT_EQ(numberRow(russianFirst, group), "1234567890");
        EXPECT_EQ(press(russianFirst, kEscape, group), static_cast<UINT>(VK_ESCAPE));
    }
    EXPECT_FALSE(russianFirst.typesLatin(0));
    EXPECT_TRUE(russianFirst.typesLatin(1));
}

TEST(KeyLayouts, ControlXQuitsOnEveryLayout) {
    MapBuilder ruUs;
    const KeyLayout russianFirst = us(russian(ruUs, 0), 1).controlKeys().layout();
    MapBuilder usDvorak;
    const KeyLayout dvorakSecond = dvorak(us(usDvorak, 0), 1).controlKeys().layout();

    EXPECT_EQ(command(russianFirst, kX, 0, ControlMask), 40003) << "Ctrl+Cyrillic CHE";
    EXPECT_EQ(command(russianFirst, kX, 1, ControlMask | LockMask), 40003) << "Caps Lock is no modifier";
    EXPECT_EQ(command(dvorakSecond, kB, 1, ControlMask), 40003) << "Dvorak's X is on the US B key";
    EXPECT_EQ(command(dvorakSecond, kX, 1, ControlMask), 0) << "the US X key types Q on Dvorak";
    EXPECT_EQ(command(dvorakSecond, kX, 0, ControlMask), 40003);
    EXPECT_EQ(command(russianFirst, kX, 0, 0), 0) << "X alone";
    EXPECT_EQ(command(russianFirst, kX, 0, ControlMask | ShiftMask), 0);
}

TEST(KeyLayouts, LatinSecondGroupStoredMostlyAsTheFirstStillTypesLatin) {
    // us,de: only the keys that differ keep a second group, so German Z is found through wrapping.
    MapBuilder builder;
    const KeyLayout layout = german(us(builder, 0), 1).layout();
    EXPECT_TRUE(layout.typesLatin(1));
    EXPECT_EQ(press(layout, kY, 1), static_cast<UINT>('Z'));
    EXPECT_EQ(press(layout, kZ, 1), static_cast<UINT>('Y'));
    EXPECT_EQ(press(layout, kY, 0), static_cast<UINT>('Y'));
}

TEST(KeyLayouts, AFewLatinKeysDoNotMakeACyrillicGroupLatin) {
    MapBuilder builder;
    russian(builder, 0).set(kM, "AB07", 0, {XK_m, XK_M}).set(kQ, "AD01", 0, {XK_z, XK_Z});
    const KeyLayout layout = builder.layout();
    EXPECT_FALSE(layout.typesLatin(0));
    EXPECT_EQ(letterKeys(layout, 0), kQwerty);
}

TEST(KeyLayouts, WithoutKeyNamesTheLatinGroupOrTheKeycodeGivesThePosition) {
    // A server without XKB names no keys: the Latin group of the keymap says what each key is...
    MapBuilder ruFr;
    const KeyLayout withLatinGroup = french(russian(ruFr, 0), 1).withoutNames().layout();
    EXPECT_EQ(letterKeys(withLatinGroup, 0), "AZERTYUIOPQSDFGHJKLWXCVBN.");
    // ...and with none, the evdev numbering of the letter block does.
    MapBuilder ruOnly;
    const KeyLayout cyrillicOnly = russian(ruOnly, 0).withoutNames().layout();
    EXPECT_EQ(letterKeys(cyrillicOnly, 0), kQwerty);
}

TEST(KeyLayouts, UnknownKeysAndAnEmptyKeymapGiveNothing) {
    MapBuilder builder;
    const KeyLayout layout = us(builder, 0).layout();
    EXPECT_EQ(press(layout, 7), 0u) << "below the first keycode";
    EXPECT_EQ(press(layout, 255), 0u) << "a keycode with no keysyms";
    EXPECT_EQ(press(layout, 100000), 0u) << "beyond the map";
    EXPECT_EQ(press(KeyLayout(), kX), 0u);
    // A group the keyboard does not have wraps like XKB's does.
    EXPECT_EQ(press(layout, kX, 3), static_cast<UINT>('X'));
}

TEST(KeyLayouts, OutOfRangeGroupsWrapClampOrRedirect) {
    LayoutKey key;
    key.groups = {{XK_a, XK_A}, {XK_b, XK_B}};
    EXPECT_EQ(effectiveGroup(key, 1), 1u);
    EXPECT_EQ(effectiveGroup(key, 2), 0u);
    EXPECT_EQ(effectiveGroup(key, 3), 1u);
    key.overflow = GroupOverflow::Clamp;
    EXPECT_EQ(effectiveGroup(key, 3), 1u);
    EXPECT_EQ(effectiveGroup(key, 2), 1u);
    key.overflow = GroupOverflow::Redirect;
    key.redirectGroup = 1;
    EXPECT_EQ(effectiveGroup(key, 2), 1u);
    key.redirectGroup = 3; // itself out of range: XKB takes the first group
    EXPECT_EQ(effectiveGroup(key, 2), 0u);
}

TEST(KeyLayouts, UsLettersOfKeyNamesAndKeycodes) {
    EXPECT_EQ(usLetterOfKeyName("AD01"), 'Q');
    EXPECT_EQ(usLetterOfKeyName("AD10"), 'P');
    EXPECT_EQ(usLetterOfKeyName("AC09"), 'L');
    EXPECT_EQ(usLetterOfKeyName("AB07"), 'M');
    for (const char* name : {"AD11", "AD00", "AC10", "AB08", "AE01", "AD1", "AD011", "ADx1", "LatQ", ""})
        EXPECT_EQ(usLetterOfKeyName(name), 0) << name;
    EXPECT_EQ(usLetterOfKeycode(24), 'Q');
    EXPECT_EQ(usLetterOfKeycode(46), 'L');
    EXPECT_EQ(usLetterOfKeycode(58), 'M');
    for (unsigned keycode : {23u, 34u, 47u, 51u, 59u}) EXPECT_EQ(usLetterOfKeycode(keycode), 0) << keycode;
}

TEST(KeyTranslation, LettersGiveUpperCaseCodesWhateverTheCase) {
    for (int i = 0; i < 26; ++i) {
        const UINT expected = static_cast<UINT>('A' + i);
        EXPECT_EQ(virtualKeyFromKeysym(XK_a + i), expected);
        EXPECT_EQ(virtualKeyFromKeysym(XK_A + i), expected);
    }
}

TEST(KeyTranslation, DigitsAndNamedKeys) {
    EXPECT_EQ(virtualKeyFromKeysym(XK_0), static_cast<UINT>('0'));
    EXPECT_EQ(virtualKeyFromKeysym(XK_9), static_cast<UINT>('9'));
    EXPECT_EQ(virtualKeyFromKeysym(XK_Return), static_cast<UINT>(VK_RETURN));
    EXPECT_EQ(virtualKeyFromKeysym(XK_Escape), static_cast<UINT>(VK_ESCAPE));
    EXPECT_EQ(virtualKeyFromKeysym(XK_Down), static_cast<UINT>(VK_DOWN));
    EXPECT_EQ(virtualKeyFromKeysym(XK_Control_R), static_cast<UINT>(VK_CONTROL));
    for (KeySym keysym : {KeySym{XK_F13}, KeySym{XK_Home}, KeySym{XK_eacute}, KeySym{XK_KP_1}, KeySym{NoSymbol}})
        EXPECT_EQ(virtualKeyFromKeysym(keysym), 0u) << keysym;
}

TEST(KeyTranslation, ModifierStateComesFromTheEventMask) {
    const KeyModifiers none = modifiersFromState(LockMask | Mod2Mask | (1u << 13)); // Caps, Num Lock, group
    EXPECT_FALSE(none.shift || none.control || none.alt);
    const KeyModifiers control = modifiersFromState(ControlMask | LockMask);
    EXPECT_TRUE(control.control);
    EXPECT_FALSE(control.shift || control.alt);
    const KeyModifiers alt = modifiersFromState(Mod1Mask);
    EXPECT_TRUE(alt.alt);
    EXPECT_FALSE(alt.shift || alt.control);
}

TEST(KeyTranslation, AutoRepeatGivesRepeatedKeyDownsThenOneKeyUp) {
    MapBuilder builder;
    const KeyLayout layout = us(builder, 0).layout();
    KeyTranslator keys;
    // Detectable auto-repeat (or classic pairs with their releases dropped): presses, then one release.
    std::vector<std::pair<UINT, LPARAM>> messages;
    for (int type : {KeyPress, KeyPress, KeyPress, KeyRelease}) {
        const auto message = keys.translate(keyEvent(type, kI), layout);
        ASSERT_TRUE(message);
        EXPECT_EQ(message->wParam, WPARAM{'I'});
        messages.emplace_back(message->message, message->lParam & 0xC000FFFF);
    }
    const std::vector<std::pair<UINT, LPARAM>> expected = {
        {WM_KEYDOWN, 1}, {WM_KEYDOWN, 0x40000001}, {WM_KEYDOWN, 0x40000001}, {WM_KEYUP, 0xC0000001}};
    EXPECT_EQ(messages, expected) << "the previous-state bit marks repeats; a release is previous-down and going up";
    // The key is up again: the next press is a fresh one.
    const auto again = keys.translate(keyEvent(KeyPress, kI), layout);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->lParam & 0xC000FFFF, 1);

    // X's classic auto-repeat: a release and a press of the same key at the same time.
    XEvent next = {};
    next.xkey = keyEvent(KeyPress, kI);
    XKeyEvent release = keyEvent(KeyRelease, kI);
    release.time = next.xkey.time = 1000;
    EXPECT_TRUE(isAutoRepeatRelease(release, next));
    next.xkey.time = 1001;
    EXPECT_FALSE(isAutoRepeatRelease(release, next)) << "a real release, then a new press";
    next.xkey.time = 1000;
    next.xkey.keycode = kI + 1;
    EXPECT_FALSE(isAutoRepeatRelease(release, next)) << "another key";
}

namespace {

constexpr unsigned kAltL = 64;
constexpr unsigned kF10 = 76;
constexpr unsigned kControlR = 105;

// One key event of a sequence: the key, whether it goes down, and the modifiers X reports as held before it.
struct Stroke {
    unsigned keycode;
    bool press;
    unsigned state;
};

struct Sent {
    UINT message;
    WPARAM key;
    uint32_t lParam;
    bool operator==(const Sent& other) const {
        return message == other.message && key == other.key && lParam == other.lParam;
    }
};

std::ostream& operator<<(std::ostream& out, const Sent& sent) {
    return out << std::hex << "{0x" << sent.message << ", 0x" << sent.key << ", 0x" << sent.lParam << "}";
}

std::vector<Sent> play(const std::vector<Stroke>& strokes) {
    MapBuilder builder;
    us(builder, 0).controlKeys();
    builder.set(kAltL, "LALT", 0, {XK_Alt_L, XK_Meta_L})
        .set(kControlR, "RCTL", 0, {XK_Control_R, NoSymbol})
        .set(kF10, "FK10", 0, {XK_F10, XK_F10});
    const KeyLayout layout = builder.layout();
    KeyTranslator keys;
    std::vector<Sent> sent;
    for (const Stroke& stroke : strokes) {
        if (const auto message =
                keys.translate(keyEvent(stroke.press ? KeyPress : KeyRelease, stroke.keycode, 0, stroke.state), layout))
            sent.push_back({message->message, message->wParam, static_cast<uint32_t>(message->lParam)});
    }
    return sent;
}

} // namespace

// Sequences as Windows delivers them: scan codes of the US positions (I is 0x17, left Alt 0x38, left Ctrl 0x1D,
// F10 0x44), bit 29 while Alt is down, bit 30 for a key that was down, bit 31 on release.
TEST(KeyMessages, AltWithALetterIsASystemKeyAndAltThenComesUpAsAPlainKey) {
    const std::vector<Sent> expected = {{WM_SYSKEYDOWN, VK_MENU, 0x20380001},
                                        {WM_SYSKEYDOWN, 'I', 0x20170001},
                                        {WM_SYSKEYUP, 'I', 0xE0170001},
                                        {WM_KEYUP, VK_MENU, 0xC0380001}};
    EXPECT_EQ(play({{kAltL, true, 0}, {kI, true, Mod1Mask}, {kI, false, Mod1Mask}, {kAltL, false, Mod1Mask}}),
              expected);
}

TEST(KeyMessages, AltAloneAndF10AreSystemKeysDownAndUp) {
    const std::vector<Sent> alt = {{WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_SYSKEYUP, VK_MENU, 0xC0380001}};
    EXPECT_EQ(play({{kAltL, true, 0}, {kAltL, false, Mod1Mask}}), alt);
    const std::vector<Sent> f10 = {{WM_SYSKEYDOWN, VK_F10, 0x00440001}, {WM_SYSKEYUP, VK_F10, 0xC0440001}};
    EXPECT_EQ(play({{kF10, true, 0}, {kF10, false, 0}}), f10);
    // Alt released before the letter: any key with Alt ends Alt's menu gesture, and the letter comes up plain.
    const std::vector<Sent> early = {{WM_SYSKEYDOWN, VK_MENU, 0x20380001},
                                     {WM_SYSKEYDOWN, 'I', 0x20170001},
                                     {WM_KEYUP, VK_MENU, 0xC0380001},
                                     {WM_KEYUP, 'I', 0xC0170001}};
    EXPECT_EQ(play({{kAltL, true, 0}, {kI, true, Mod1Mask}, {kAltL, false, Mod1Mask}, {kI, false, 0}}), early);
}

TEST(KeyMessages, CtrlWithAltKeepsPlainKeyMessagesAndRightCtrlIsExtended) {
    const std::vector<Sent> expected = {{WM_KEYDOWN, VK_CONTROL, 0x001D0001}, {WM_KEYDOWN, VK_MENU, 0x20380001},
                                        {WM_KEYDOWN, 'I', 0x20170001},        {WM_KEYUP, 'I', 0xE0170001},
                                        {WM_KEYUP, VK_MENU, 0xC0380001},      {WM_KEYUP, VK_CONTROL, 0xC01D0001}};
    const unsigned both = ControlMask | Mod1Mask;
    EXPECT_EQ(play({{kControlL, true, 0},
                    {kAltL, true, ControlMask},
                    {kI, true, both},
                    {kI, false, both},
                    {kAltL, false, both},
                    {kControlL, false, ControlMask}}),
              expected);
    // Ctrl released while Alt stays down is a system key.
    const std::vector<Sent> right = {
        {WM_KEYDOWN, VK_CONTROL, 0x011D0001}, {WM_KEYDOWN, VK_MENU, 0x20380001}, {WM_SYSKEYUP, VK_CONTROL, 0xE11D0001}};
    EXPECT_EQ(play({{kControlR, true, 0}, {kAltL, true, ControlMask}, {kControlR, false, both}}), right);
}

TEST(KeyMessages, ScanCodesFollowTheKeyPositionAsWindowsNumbersIt) {
    const std::pair<const char*, unsigned> named[] = {
        {"ESC", 0x01},  {"AE01", 0x02}, {"AE12", 0x0D},  {"AD01", 0x10}, {"AD12", 0x1B},  {"AC01", 0x1E},
        {"AC11", 0x28}, {"AB01", 0x2C}, {"AB10", 0x35},  {"FK01", 0x3B}, {"FK10", 0x44},  {"FK11", 0x57},
        {"FK12", 0x58}, {"LSGT", 0x56}, {"KPEN", 0x11C}, {"UP", 0x148},  {"RALT", 0x138}, {"DELE", 0x153},
        {"AD13", 0},    {"AB11", 0},    {"FK13", 0},     {"AE00", 0},    {"", 0},         {"Q", 0}};
    for (const auto& [name, scan] : named) EXPECT_EQ(scanCodeOfKeyName(name), scan) << name;
    EXPECT_EQ(scanCodeOfKeycode(9), 0x01u);
    EXPECT_EQ(scanCodeOfKeycode(38), 0x1Eu);
    EXPECT_EQ(scanCodeOfKeycode(96), 0x58u);
    for (unsigned keycode : {0u, 8u, 97u, 111u, 255u}) EXPECT_EQ(scanCodeOfKeycode(keycode), 0u) << keycode;

    // A server that names no keys numbers them by keycode; out of the keymap there is none.
    MapBuilder builder;
    const KeyLayout unnamed = us(builder, 0).withoutNames().layout();
    EXPECT_EQ(unnamed.scanCode(kI), 0x17u);
    EXPECT_EQ(unnamed.scanCode(7), 0u);
    EXPECT_EQ(unnamed.scanCode(300), 0u);
}

TEST(KeyMessages, TranslationPostsCharactersForKeyDownsOnly) {
    const InputMessage down{WM_KEYDOWN, 'I', 0x00170001};
    const auto character = characterMessage(down, 'i');
    ASSERT_TRUE(character);
    EXPECT_EQ(character->message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(character->wParam, WPARAM{'i'});
    EXPECT_EQ(character->lParam, down.lParam) << "the key's own lParam";
    const auto system = characterMessage({WM_SYSKEYDOWN, 'I', 0x20170001}, 'i');
    ASSERT_TRUE(system);
    EXPECT_EQ(system->message, static_cast<UINT>(WM_SYSCHAR));
    EXPECT_FALSE(characterMessage(down, 0)) << "a key that types nothing";
    EXPECT_FALSE(characterMessage({WM_KEYUP, 'I', static_cast<LPARAM>(0xC0170001)}, 'i'));
    EXPECT_FALSE(characterMessage({WM_SYSKEYUP, 'I', static_cast<LPARAM>(0xE0170001)}, 'i'));
}
