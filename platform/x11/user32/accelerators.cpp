// Accelerator tables from the program's resources, and their translation into WM_COMMAND.

#include "accelerator_match.h"
#include "layer.h"

namespace {

// Win32 marks commands that come from an accelerator with 1 in the high word of wParam.
constexpr WPARAM kFromAccelerator = WPARAM{1} << 16;

} // namespace

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR name) {
    return loadResourceOnce(layer().accelerators, name, [](HACCEL__& table, int id) {
        int count = 0;
        const AcceleratorEntry* entries = findAcceleratorTable(id, &count);
        for (int i = 0; entries && i < count; ++i) {
            table.entries.push_back(ACCEL{entries[i].flags, entries[i].key, entries[i].command});
        }
        return !table.entries.empty();
    });
}

int TranslateAcceleratorA(HWND window, HACCEL table, LPMSG msg) {
    if (!window || !table || !msg) return 0;
    const ACCEL* entry = matchAccelerator(table->entries.data(), static_cast<int>(table->entries.size()), msg->message,
                                          msg->wParam, modifiersFromState(layer().lastKey.keyState));
    if (!entry) return 0;
    sendMessage(window, WM_COMMAND, kFromAccelerator | entry->cmd, 0);
    return 1;
}
