// Accelerator matching on arbitrary tables: the entry found is the first whose key and Ctrl, Shift and
// Alt all match a WM_KEYDOWN or WM_SYSKEYDOWN; nothing is found when no entry matches or the message is
// another.
//
// Input: a message selector (1 byte: odd takes a message number of 4 bytes, else bit 1 chooses
// WM_SYSKEYDOWN over WM_KEYDOWN),
// the key (1 byte: 'A' + byte % 26 when its top bit is clear, else a wParam of 8 bytes), the modifier
// bits (1 byte: 1 Shift, 2 Ctrl, 4 Alt), then the table: 5 bytes an entry (flags, key, command).

#include <vector>

#include "accelerator_match.h"
#include "fuzz_input.h"

namespace {

bool matches(const ACCEL& entry, WPARAM key, const KeyModifiers& modifiers) {
    const bool shift = (entry.fVirt & FSHIFT) != 0;
    const bool control = (entry.fVirt & FCONTROL) != 0;
    const bool alt = (entry.fVirt & FALT) != 0;
    return (entry.fVirt & FVIRTKEY) != 0 && WPARAM{entry.key} == key && shift == modifiers.shift &&
           control == modifiers.control && alt == modifiers.alt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t selector = in.byte();
    const UINT message =
        (selector & 1) ? in.read<uint32_t>() : static_cast<UINT>((selector & 2) ? WM_SYSKEYDOWN : WM_KEYDOWN);
    const uint8_t keyByte = in.byte();
    // Mostly letters, so that tables and keys meet; sometimes a wParam beyond 16 bits.
    const WPARAM key = (keyByte & 0x80) ? in.read<uint64_t>() : WPARAM('A' + keyByte % 26);
    const uint8_t bits = in.byte();
    KeyModifiers modifiers;
    modifiers.shift = (bits & 1) != 0;
    modifiers.control = (bits & 2) != 0;
    modifiers.alt = (bits & 4) != 0;

    std::vector<ACCEL> table;
    while (!in.empty()) {
        ACCEL entry;
        entry.fVirt = in.byte();
        entry.key = in.read<uint16_t>();
        entry.cmd = in.read<uint16_t>();
        table.push_back(entry);
    }

    const ACCEL* found = matchAccelerator(table.data(), static_cast<int>(table.size()), message, key, modifiers);
    const ACCEL* first = nullptr;
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        for (const ACCEL& entry : table) {
            if (matches(entry, key, modifiers)) {
                first = &entry;
                break;
            }
        }
    }
    FUZZ_CHECK(found == first);
    return 0;
}
