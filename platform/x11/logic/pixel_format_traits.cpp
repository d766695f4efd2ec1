// Win32 pixel-format descriptors from GLX config traits, and the choice of the closest one.

#include "pixel_format_traits.h"

#include <X11/X.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace {

struct Channel {
    int bits;
    int shift;
};

// A contiguous mask as bit count and position; zero for an empty mask.
Channel channelFromMask(unsigned long mask) {
    if (mask == 0) return {0, 0};
    int shift = 0;
    while (!(mask & 1ul)) {
        mask >>= 1;
        ++shift;
    }
    int bits = 0;
    while (mask & 1ul) {
        mask >>= 1;
        ++bits;
    }
    return {bits, shift};
}

unsigned long depthMask(int depth) { return depth >= 32 ? 0xFFFFFFFFul : (1ul << depth) - 1; }

BYTE byteOf(int value) { return static_cast<BYTE>(std::clamp(value, 0, 255)); }

// Red, green, blue and alpha as bit counts and shifts within a pixel.
struct Layout {
    Channel red, green, blue, alpha;
};

// NOTE: colormap-indexed visuals carry no channel masks; the config's sizes are packed from bit 0
// up, red first, which is the layout the logical palette is then built for (3-3-2 for 8 bits).
Layout packedLayout(const FormatTraits& t) {
    const Channel red = {t.redSize, 0};
    const Channel green = {t.greenSize, red.shift + red.bits};
    const Channel blue = {t.blueSize, green.shift + green.bits};
    const Channel alpha = {t.alphaSize, t.alphaSize ? blue.shift + blue.bits : 0};
    return {red, green, blue, alpha};
}

int topBit(unsigned long mask) {
    int bits = 0;
    while (mask) {
        mask >>= 1;
        ++bits;
    }
    return bits;
}

// Alpha takes the visual's bits not used by a colour channel (the top byte of a 32-bit visual);
// alpha that only GL's buffer has sits just above the colour bits.
Layout maskLayout(const FormatTraits& t) {
    const unsigned long colourMasks = t.redMask | t.greenMask | t.blueMask;
    Channel alpha = {0, 0};
    if (t.alphaSize > 0) alpha = channelFromMask(depthMask(t.depth) & ~colourMasks);
    if (alpha.bits == 0 && t.alphaSize > 0) alpha = {t.alphaSize, topBit(colourMasks)};
    return {channelFromMask(t.redMask), channelFromMask(t.greenMask), channelFromMask(t.blueMask), alpha};
}

bool hasMasks(const FormatTraits& t) { return (t.redMask | t.greenMask | t.blueMask) != 0; }

DWORD formatFlags(const FormatTraits& t) {
    DWORD flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (t.doubleBuffer) flags |= PFD_DOUBLEBUFFER;
    if (t.stereo) flags |= PFD_STEREO;
    if (visualNeedsPalette(t.visualClass)) flags |= PFD_NEED_PALETTE;
    return flags;
}

int shortfall(int wanted, int have) { return std::max(0, wanted - have); }
int excess(int wanted, int have) { return std::max(0, have - wanted); }

bool fits(const PIXELFORMATDESCRIPTOR& format, const PIXELFORMATDESCRIPTOR& request) {
    const DWORD required = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (request.dwFlags & PFD_DOUBLEBUFFER);
    return (format.dwFlags & required) == required && format.iPixelType == request.iPixelType;
}

// Lower is better, compared in order: a palette only when nothing else exists, then missing
// colour, depth and alpha bits, then the layer's preferences, then bits beyond the request.
using Distance = std::tuple<int, int, int, int, int, int, int, int, int, int>;

// How far a depth buffer is from the preferred size; a buffer smaller than asked for never gets here
// ahead of one that is large enough, since the shortfall is compared first.
int depthDistance(const PIXELFORMATDESCRIPTOR& f, const PIXELFORMATDESCRIPTOR& r, const FormatPreference& p) {
    if (p.depthBits <= 0 || p.depthBits < r.cDepthBits) return excess(r.cDepthBits, f.cDepthBits);
    return std::abs(f.cDepthBits - p.depthBits);
}

Distance distance(const PIXELFORMATDESCRIPTOR& f, const PIXELFORMATDESCRIPTOR& r, const FormatPreference& p,
                  int visualDepth) {
    const int extraBuffers = excess(r.cStencilBits, f.cStencilBits) + excess(r.cAccumBits, f.cAccumBits) +
                             excess(r.cAuxBuffers, f.cAuxBuffers);
    const bool wrongVisual = p.visualDepth != 0 && visualDepth != 0 && visualDepth != p.visualDepth;
    const bool missingAlpha = p.alpha && f.cAlphaBits == 0;
    return {(f.dwFlags & PFD_NEED_PALETTE) ? 1 : 0,
            shortfall(r.cColorBits, f.cColorBits),
            shortfall(r.cDepthBits, f.cDepthBits),
            shortfall(r.cAlphaBits, f.cAlphaBits) + shortfall(r.cStencilBits, f.cStencilBits),
            wrongVisual ? 1 : 0,
            missingAlpha ? 1 : 0,
            depthDistance(f, r, p),
            p.alpha ? 0 : excess(r.cAlphaBits, f.cAlphaBits),
            extraBuffers,
            excess(r.cColorBits, f.cColorBits)};
}

} // namespace

bool visualNeedsPalette(int visualClass) {
    return visualClass == GrayScale || visualClass == StaticColor || visualClass == PseudoColor;
}

bool visualHasWritableColormap(int visualClass) {
    return visualClass == GrayScale || visualClass == PseudoColor || visualClass == DirectColor;
}

PIXELFORMATDESCRIPTOR describePixelFormat(const FormatTraits& t) {
    const Layout layout = hasMasks(t) ? maskLayout(t) : packedLayout(t);
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = formatFlags(t);
    pfd.iPixelType = PFD_TYPE_RGBA;
    // Win32 counts the colour bits of an RGBA format without alpha; an indexed visual has its depth.
    const int colourBits = layout.red.bits + layout.green.bits + layout.blue.bits;
    pfd.cColorBits = byteOf(visualNeedsPalette(t.visualClass) ? t.depth : colourBits);
    pfd.cRedBits = byteOf(layout.red.bits);
    pfd.cRedShift = byteOf(layout.red.shift);
    pfd.cGreenBits = byteOf(layout.green.bits);
    pfd.cGreenShift = byteOf(layout.green.shift);
    pfd.cBlueBits = byteOf(layout.blue.bits);
    pfd.cBlueShift = byteOf(layout.blue.shift);
    pfd.cAlphaBits = byteOf(layout.alpha.bits);
    pfd.cAlphaShift = byteOf(layout.alpha.shift);
    pfd.cAccumRedBits = byteOf(t.accumRedSize);
    pfd.cAccumGreenBits = byteOf(t.accumGreenSize);
    pfd.cAccumBlueBits = byteOf(t.accumBlueSize);
    pfd.cAccumAlphaBits = byteOf(t.accumAlphaSize);
    pfd.cAccumBits = byteOf(t.accumRedSize + t.accumGreenSize + t.accumBlueSize + t.accumAlphaSize);
    pfd.cDepthBits = byteOf(t.depthSize);
    pfd.cStencilBits = byteOf(t.stencilSize);
    pfd.cAuxBuffers = byteOf(t.auxBuffers);
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

int closestPixelFormat(const std::vector<PIXELFORMATDESCRIPTOR>& formats, const PIXELFORMATDESCRIPTOR& request,
                       const FormatPreference& preference, const std::vector<int>& visualDepths) {
    int best = 0;
    Distance bestDistance{};
    for (size_t i = 0; i < formats.size(); ++i) {
        if (!fits(formats[i], request)) continue;
        const int visualDepth = i < visualDepths.size() ? visualDepths[i] : 0;
        const Distance d = distance(formats[i], request, preference, visualDepth);
        if (best == 0 || d < bestDistance) {
            best = static_cast<int>(i) + 1;
            bestDistance = d;
        }
    }
    return best;
}
