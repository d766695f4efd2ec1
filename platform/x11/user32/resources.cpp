// Icons from the program's resources and the standard arrow cursor.

#include <X11/cursorfont.h>

#include "layer.h"

HICON LoadIconA(HINSTANCE, LPCSTR name) {
    if (!name || !IS_INTRESOURCE(name)) return nullptr;
    const int id = static_cast<int>(reinterpret_cast<UINT_PTR>(name));
    // One handle per icon group, loaded on first use and kept, as resource handles are in Win32.
    std::map<int, HICON__>& loaded = layer().icons;
    const auto found = loaded.find(id);
    if (found != loaded.end()) return &found->second;
    int count = 0;
    const IconImage* images = findIconImages(id, &count);
    if (!images || count == 0) return nullptr;
    HICON__& icon = loaded[id];
    icon.images = images;
    icon.imageCount = count;
    return &icon;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    // A constant handle: nothing about it changes, so it needs no place in the layer's state.
    static HICON__ arrow = {nullptr, 0, XC_left_ptr};
    return name == IDC_ARROW ? &arrow : nullptr;
}
