// Whole-word lookup in GLX extension strings.

#include "swap_control.h"

#include <cstring>

bool hasExtension(const char* extensions, const char* name) {
    if (!extensions || !name || !*name) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        const bool startsWord = at == extensions || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

SwapControl pickSwapControl(const char* extensions) {
    if (hasExtension(extensions, "GLX_EXT_swap_control")) return SwapControl::Ext;
    if (hasExtension(extensions, "GLX_MESA_swap_control")) return SwapControl::Mesa;
    if (hasExtension(extensions, "GLX_SGI_swap_control")) return SwapControl::Sgi;
    return SwapControl::Missing;
}
