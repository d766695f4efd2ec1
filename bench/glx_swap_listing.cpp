// Whole-word lookup in GLX extension lists.

#include "glx_swap_listing.h"

#include <cstring>

bool listsGlxExtension(const char* list, const char* name) {
    if (!list || !name || !*name) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) return true;
    }
    return false;
}

GlxSwapControl listedSwapControl(const char* list) {
    if (listsGlxExtension(list, "GLX_EXT_swap_control")) return GlxSwapControl::Ext;
    if (listsGlxExtension(list, "GLX_MESA_swap_control")) return GlxSwapControl::Mesa;
    if (listsGlxExtension(list, "GLX_SGI_swap_control")) return GlxSwapControl::Sgi;
    return GlxSwapControl::Missing;
}
