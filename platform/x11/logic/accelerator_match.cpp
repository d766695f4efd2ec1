// Win32's accelerator matching.

#include "accelerator_match.h"

namespace {

bool modifiersMatch(BYTE flags, const KeyModifiers& modifiers) {
    return modifiers.control == ((flags & FCONTROL) != 0) && modifiers.shift == ((flags & FSHIFT) != 0) &&
           modifiers.alt == ((flags & FALT) != 0);
}

} // namespace

const ACCEL* matchAccelerator(const ACCEL* entries, int count, UINT message, WPARAM key,
                              const KeyModifiers& modifiers) {
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return nullptr;
    for (int i = 0; i < count; ++i) {
        const ACCEL& entry = entries[i];
        if ((entry.fVirt & FVIRTKEY) && entry.key == key && modifiersMatch(entry.fVirt, modifiers)) return &entry;
    }
    return nullptr;
}
