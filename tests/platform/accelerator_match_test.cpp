// Accelerator matching as Win32 does it: key equal and every modifier exactly as the entry asks.

#include "accelerator_match.h"

#include <gtest/gtest.h>

namespace {

constexpr KeyModifiers kNone = {};
constexpr KeyModifiers kControl = {false, true, false};
constexpr KeyModifiers kShift = {true, false, false};
constexpr KeyModifiers kControlShift = {true, true, false};
constexpr KeyModifiers kControlAlt = {false, true, true};

const ACCEL kExitTable[] = {{FVIRTKEY | FCONTROL | FNOINVERT, 'X', 40003}};

WORD commandFor(const ACCEL* table, int count, UINT message, WPARAM key, const KeyModifiers& modifiers) {
    const ACCEL* entry = matchAccelerator(table, count, message, key, modifiers);
    return entry ? entry->cmd : 0;
}

} // namespace

TEST(AcceleratorMatch, ControlXIsTheExitCommand) {
    EXPECT_EQ(commandFor(kExitTable, 1, WM_KEYDOWN, 'X', kControl), 40003);
}

TEST(AcceleratorMatch, ModifiersMustMatchExactly) {
    EXPECT_EQ(commandFor(kExitTable, 1, WM_KEYDOWN, 'X', kNone), 0);
    EXPECT_EQ(commandFor(kExitTable, 1, WM_KEYDOWN, 'X', kControlShift), 0);
    EXPECT_EQ(commandFor(kExitTable, 1, WM_KEYDOWN, 'X', kControlAlt), 0);
}

TEST(AcceleratorMatch, OtherKeysAndMessagesDoNotMatch) {
    EXPECT_EQ(commandFor(kExitTable, 1, WM_KEYDOWN, 'V', kControl), 0);
    EXPECT_EQ(commandFor(kExitTable, 1, WM_KEYDOWN, 'x', kControl), 0); // 'x' is VK_NUMPAD8, not X
    EXPECT_EQ(commandFor(kExitTable, 1, WM_KEYUP, 'X', kControl), 0);
    EXPECT_EQ(commandFor(kExitTable, 1, WM_CHAR, 'X', kControl), 0);
    EXPECT_EQ(commandFor(kExitTable, 1, WM_SYSKEYUP, 'X', kControl), 0);
}

// Alt with a key arrives as WM_SYSKEYDOWN; entries asking for Alt match it there.
TEST(AcceleratorMatch, AltEntriesMatchSystemKeyDowns) {
    const ACCEL table[] = {{FVIRTKEY | FALT, 'I', 5}, {FVIRTKEY, VK_F10, 6}};
    EXPECT_EQ(commandFor(table, 2, WM_SYSKEYDOWN, 'I', KeyModifiers{false, false, true}), 5);
    EXPECT_EQ(commandFor(table, 2, WM_SYSKEYDOWN, VK_F10, kNone), 6);
    EXPECT_EQ(commandFor(table, 2, WM_SYSKEYDOWN, 'I', kNone), 0) << "the entry asks for Alt";
}

TEST(AcceleratorMatch, EachModifierFlagIsHonoured) {
    const ACCEL table[] = {
        {FVIRTKEY | FSHIFT, 'A', 1},
        {FVIRTKEY | FALT, 'A', 2},
        {FVIRTKEY, 'A', 3},
        {FVIRTKEY | FCONTROL | FSHIFT, 'A', 4},
    };
    EXPECT_EQ(commandFor(table, 4, WM_KEYDOWN, 'A', kShift), 1);
    EXPECT_EQ(commandFor(table, 4, WM_KEYDOWN, 'A', KeyModifiers{false, false, true}), 2);
    EXPECT_EQ(commandFor(table, 4, WM_KEYDOWN, 'A', kNone), 3);
    EXPECT_EQ(commandFor(table, 4, WM_KEYDOWN, 'A', kControlShift), 4);
    EXPECT_EQ(commandFor(table, 4, WM_KEYDOWN, 'A', kControl), 0);
}

TEST(AcceleratorMatch, FirstMatchingEntryWinsAndCharacterEntriesIgnoreKeyDowns) {
    const ACCEL table[] = {
        {FCONTROL, 'X', 7}, // a character entry: only WM_CHAR could trigger it
        {FVIRTKEY | FCONTROL, 'X', 8},
        {FVIRTKEY | FCONTROL, 'X', 9},
    };
    EXPECT_EQ(commandFor(table, 3, WM_KEYDOWN, 'X', kControl), 8);
}
