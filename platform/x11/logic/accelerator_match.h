#pragma once
// Win32's accelerator matching, with the modifier state passed in.

#include "win32_api.h"
#include "key_modifiers.h"

// The entry that a message triggers, or null. Virtual-key entries match WM_KEYDOWN or WM_SYSKEYDOWN
// (Alt held, or F10) of their key when Ctrl, Shift and Alt are each held exactly when the entry asks
// for them. Character entries (without FVIRTKEY) are not matched: the program's tables have none.
const ACCEL* matchAccelerator(const ACCEL* entries, int count, UINT message, WPARAM key, const KeyModifiers& modifiers);
