// Logical palettes. Only palette visuals (PseudoColor, GrayScale, StaticColor) get one; on a
// writable colormap RealizePalette stores the entries into the GL surface's colormap.

#include <algorithm>

#include "layer.h"

namespace {

unsigned short colourChannel(BYTE value) { return static_cast<unsigned short>(value * 257); }

void storePalette(Display* display, Colormap colormap, const std::vector<PALETTEENTRY>& entries, size_t count) {
    std::vector<XColor> colours(count);
    for (size_t i = 0; i < count; ++i) {
        colours[i].pixel = i;
        colours[i].red = colourChannel(entries[i].peRed);
        colours[i].green = colourChannel(entries[i].peGreen);
        colours[i].blue = colourChannel(entries[i].peBlue);
        colours[i].flags = DoRed | DoGreen | DoBlue;
    }
    XStoreColors(display, colormap, colours.data(), static_cast<int>(count));
}

} // namespace

bool isLivePalette(HPALETTE palette) { return palette && layer().palettes.count(palette) != 0; }

HPALETTE CreatePalette(const LOGPALETTE* logical) {
    if (!logical || logical->palNumEntries == 0) return nullptr;
    HPALETTE palette = new HPALETTE__;
    const PALETTEENTRY* first = logical->palPalEntry;
    palette->entries.assign(first, first + logical->palNumEntries);
    layer().palettes.insert(palette);
    return palette;
}

HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL) {
    if (!dc || !isLivePalette(palette)) return nullptr;
    HPALETTE previous = dc->selectedPalette;
    dc->selectedPalette = palette;
    return previous;
}

// The number of entries stored into the colormap; 0 where the colormap is not writable.
UINT RealizePalette(HDC dc) {
    Display* display = layer().display;
    if (!display || !dc || !dc->paletteColormap || !isLivePalette(dc->selectedPalette)) return 0;
    const std::vector<PALETTEENTRY>& entries = dc->selectedPalette->entries;
    const size_t count = std::min(entries.size(), static_cast<size_t>(dc->colormapCells));
    storePalette(display, dc->colormap, entries, count);
    return static_cast<UINT>(count);
}

// NOTE: X shows a colormap change on screen at once; there are no pixels to remap.
BOOL UpdateColors(HDC dc) { return dc ? TRUE : FALSE; }

// The layer creates no GDI objects but palettes.
BOOL DeleteObject(HGDIOBJ object) {
    HPALETTE palette = static_cast<HPALETTE>(object);
    if (!isLivePalette(palette)) return FALSE;
    layer().palettes.erase(palette);
    delete palette;
    return TRUE;
}
