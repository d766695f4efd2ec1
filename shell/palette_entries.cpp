// Palette arithmetic: spreads each channel's levels evenly over 0..255.

#include "render_context.h"

namespace {

BYTE channelLevel(unsigned index, BYTE shift, BYTE bits) {
    const BYTE mask = static_cast<BYTE>((1u << bits) - 1u);
    // A channel with no bits has no levels to spread; it stays dark.
    if (mask == 0) return 0;
    const unsigned level = (index >> shift) & mask;
    return static_cast<BYTE>(static_cast<double>(level) * 255.0 / mask);
}

} // namespace

unsigned paletteSize(const PIXELFORMATDESCRIPTOR& format) {
    // palNumEntries is 16 bits wide; a larger palette cannot be described.
    if (format.cColorBits > 15) return 0;
    return 1u << format.cColorBits;
}

PALETTEENTRY paletteEntry(unsigned index, const PIXELFORMATDESCRIPTOR& format) {
    PALETTEENTRY entry;
    entry.peRed = channelLevel(index, format.cRedShift, format.cRedBits);
    entry.peGreen = channelLevel(index, format.cGreenShift, format.cGreenBits);
    entry.peBlue = channelLevel(index, format.cBlueShift, format.cBlueBits);
    entry.peFlags = 0;
    return entry;
}
