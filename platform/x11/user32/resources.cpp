// Icons from the program's resources and the standard arrow cursor.

#include <X11/cursorfont.h>

#include <cstdlib>

#include "layer.h"

namespace {

// NOTE: runs before the program's own exit handlers (registered earlier), which touch no cursor.
void freeCursors() {
    LayerState& state = layer();
    for (const auto& made : state.cursors) XFreeCursor(state.display, made.second);
    state.cursors.clear();
}

} // namespace

Cursor xCursor(HCURSOR cursor) {
    LayerState& state = layer();
    if (!state.display || !cursor || !cursor->cursorShape) return None;
    const auto made = state.cursors.find(cursor->cursorShape);
    if (made != state.cursors.end()) return made->second;
    if (state.cursors.empty()) std::atexit(freeCursors);
    const Cursor created = XCreateFontCursor(state.display, cursor->cursorShape);
    state.cursors.emplace(cursor->cursorShape, created);
    return created;
}

HICON LoadIconA(HINSTANCE, LPCSTR name) {
    return loadResourceOnce(layer().icons, name, [](HICON__& icon, int id) {
        icon.iconGroup = id;
        return hasIconGroup(id);
    });
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
    // A constant handle: nothing about it changes, so it needs no place in the layer's state.
    static HICON__ arrow = {0, XC_left_ptr};
    return name == IDC_ARROW ? &arrow : nullptr;
}
