#pragma once
// Win32's accelerator matching, with the modifier state passed in.

#include "win32_api.h"
#include "key_modifiers.h"

// The entry that a message triggers, or null. Virtual-key entries match WM_KEYDOWN of their key
// when Ctrl, Shift and Alt are each held exactly when the entry asks for them. Character entries
// match WM_CHAR, which this layer never produces.
const ACCEL* matchAccelerator(const ACCEL* entries, int count, UINT message, WPARAM key, const KeyModifiers& modifiers);
