// Icons from the program's resources and the standard arrow cursor.

#include <X11/cursorfont.h>

#include "layer.h"

HICON LoadIconA(HINSTANCE, LPCSTR name) {
    return loadResourceOnce(layer().icons, name, [](HICON__& icon, int id) {
        icon.images = findIconImages(id, &icon.imageCount);
        return icon.images && icon.imageCount > 0;
    });
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    // A constant handle: nothing about it changes, so it needs no place in the layer's state.
    static HICON__ arrow = {nullptr, 0, XC_left_ptr};
    return name == IDC_ARROW ? &arrow : nullptr;
}
