// Pixel-format descriptors from made-up visuals, and the choice of the closest format.

#include <gtest/gtest.h>

#include "pixel_format_traits.h"

// NOTE: after GoogleTest, whose own None the X headers' None macro would break.
#include <X11/X.h>

namespace {

FormatTraits trueColour24() {
    FormatTraits t;
    t.visualClass = TrueColor;
    t.depth = 24;
    t.redMask = 0xFF0000;
    t.greenMask = 0x00FF00;
    t.blueMask = 0x0000FF;
    t.redSize = t.greenSize = t.blueSize = 8;
    t.depthSize = 16;
    t.doubleBuffer = true;
    return t;
}

FormatTraits trueColour32() {
    FormatTraits t = trueColour24();
    t.depth = 32;
    t.alphaSize = 8;
    return t;
}

FormatTraits pseudoColour8() {
    FormatTraits t;
    t.visualClass = PseudoColor;
    t.depth = 8;
    t.redSize = 3;
    t.greenSize = 3;
    t.blueSize = 2;
    t.doubleBuffer = true;
    return t;
}

constexpr DWORD kWindowGl = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;

TEST(DescribePixelFormat, TrueColour24HasItsMasksAndNoPalette) {
    const PIXELFORMATDESCRIPTOR pfd = describePixelFormat(trueColour24());
    EXPECT_EQ(pfd.nSize, 40);
    EXPECT_EQ(pfd.nVersion, 1);
    EXPECT_EQ(pfd.dwFlags, kWindowGl | PFD_DOUBLEBUFFER);
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(pfd.cColorBits, 24);
    EXPECT_EQ(pfd.cRedBits, 8);
    EXPECT_EQ(pfd.cRedShift, 16);
    EXPECT_EQ(pfd.cGreenBits, 8);
    EXPECT_EQ(pfd.cGreenShift, 8);
    EXPECT_EQ(pfd.cBlueBits, 8);
    EXPECT_EQ(pfd.cBlueShift, 0);
    EXPECT_EQ(pfd.cAlphaBits, 0);
    EXPECT_EQ(pfd.cDepthBits, 16);
    EXPECT_EQ(pfd.cStencilBits, 0);
    EXPECT_EQ(pfd.cAccumBits, 0);
    EXPECT_EQ(pfd.iLayerType, PFD_MAIN_PLANE);
}

TEST(DescribePixelFormat, TrueColour32PutsAlphaInTheTopByte) {
    const PIXELFORMATDESCRIPTOR pfd = describePixelFormat(trueColour32());
    EXPECT_EQ(pfd.dwFlags & PFD_NEED_PALETTE, 0u);
    EXPECT_EQ(pfd.cColorBits, 24) << "Win32 counts RGBA colour bits without alpha";
    EXPECT_EQ(pfd.cAlphaBits, 8);
    EXPECT_EQ(pfd.cAlphaShift, 24);
    EXPECT_EQ(pfd.cRedShift, 16);
}

TEST(DescribePixelFormat, SixteenBitMasksGiveUnevenChannels) {
    FormatTraits t = trueColour24();
    t.depth = 16;
    t.redMask = 0xF800;
    t.greenMask = 0x07E0;
    t.blueMask = 0x001F;
    const PIXELFORMATDESCRIPTOR pfd = describePixelFormat(t);
    EXPECT_EQ(pfd.cColorBits, 16);
    EXPECT_EQ(pfd.cRedBits, 5);
    EXPECT_EQ(pfd.cRedShift, 11);
    EXPECT_EQ(pfd.cGreenBits, 6);
    EXPECT_EQ(pfd.cGreenShift, 5);
    EXPECT_EQ(pfd.cBlueBits, 5);
    EXPECT_EQ(pfd.cBlueShift, 0);
}

TEST(DescribePixelFormat, PseudoColour8NeedsAPaletteLaidOut332) {
    const PIXELFORMATDESCRIPTOR pfd = describePixelFormat(pseudoColour8());
    EXPECT_EQ(pfd.dwFlags, kWindowGl | PFD_DOUBLEBUFFER | PFD_NEED_PALETTE);
    EXPECT_EQ(pfd.cColorBits, 8);
    EXPECT_EQ(pfd.cRedBits, 3);
    EXPECT_EQ(pfd.cRedShift, 0);
    EXPECT_EQ(pfd.cGreenBits, 3);
    EXPECT_EQ(pfd.cGreenShift, 3);
    EXPECT_EQ(pfd.cBlueBits, 2);
    EXPECT_EQ(pfd.cBlueShift, 6);
}

TEST(DescribePixelFormat, OnlyIndexedClassesNeedAPalette) {
    FormatTraits t = pseudoColour8();
    for (int visualClass : {GrayScale, StaticColor, PseudoColor}) {
        t.visualClass = visualClass;
        EXPECT_TRUE(describePixelFormat(t).dwFlags & PFD_NEED_PALETTE) << "class " << visualClass;
    }
    FormatTraits direct = trueColour24();
    for (int visualClass : {TrueColor, DirectColor}) {
        direct.visualClass = visualClass;
        EXPECT_FALSE(describePixelFormat(direct).dwFlags & PFD_NEED_PALETTE) << "class " << visualClass;
    }
}

TEST(DescribePixelFormat, BufferFlagsAndSizesFollowTheConfig) {
    FormatTraits t = trueColour24();
    t.doubleBuffer = false;
    t.stereo = true;
    t.depthSize = 24;
    t.stencilSize = 8;
    t.accumRedSize = t.accumGreenSize = t.accumBlueSize = 16;
    t.accumAlphaSize = 8;
    t.auxBuffers = 2;
    const PIXELFORMATDESCRIPTOR pfd = describePixelFormat(t);
    EXPECT_EQ(pfd.dwFlags, kWindowGl | PFD_STEREO);
    EXPECT_EQ(pfd.cDepthBits, 24);
    EXPECT_EQ(pfd.cStencilBits, 8);
    EXPECT_EQ(pfd.cAccumBits, 56);
    EXPECT_EQ(pfd.cAccumRedBits, 16);
    EXPECT_EQ(pfd.cAccumAlphaBits, 8);
    EXPECT_EQ(pfd.cAuxBuffers, 2);
}

// The shell's request: double-buffered RGBA, 32 colour bits, 16 depth bits.
PIXELFORMATDESCRIPTOR shellRequest() {
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(request);
    request.nVersion = 1;
    request.dwFlags = kWindowGl | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 16;
    return request;
}

PIXELFORMATDESCRIPTOR withDepth(FormatTraits t, int depth, int stencil = 0) {
    t.depthSize = depth;
    t.stencilSize = stencil;
    return describePixelFormat(t);
}

PIXELFORMATDESCRIPTOR singleBuffered() {
    FormatTraits t = trueColour24();
    t.doubleBuffer = false;
    return describePixelFormat(t);
}

TEST(ClosestPixelFormat, PicksDoubleBufferedWithTheRequestedDepth) {
    const std::vector<PIXELFORMATDESCRIPTOR> formats = {singleBuffered(), withDepth(trueColour24(), 0),
                                                        withDepth(trueColour24(), 24, 8), withDepth(trueColour24(), 16),
                                                        withDepth(trueColour24(), 16, 8)};
    EXPECT_EQ(closestPixelFormat(formats, shellRequest()), 4);
}

TEST(ClosestPixelFormat, MoreDepthBeatsNone) {
    const std::vector<PIXELFORMATDESCRIPTOR> formats = {withDepth(trueColour24(), 0), withDepth(trueColour24(), 32),
                                                        withDepth(trueColour24(), 24)};
    EXPECT_EQ(closestPixelFormat(formats, shellRequest()), 3);
    PIXELFORMATDESCRIPTOR deep = shellRequest();
    deep.cDepthBits = 24;
    const std::vector<PIXELFORMATDESCRIPTOR> both = {withDepth(trueColour24(), 16), withDepth(trueColour24(), 24)};
    EXPECT_EQ(closestPixelFormat(both, deep), 2);
}

TEST(ClosestPixelFormat, NoAlphaRequestedPrefersNoAlpha) {
    const std::vector<PIXELFORMATDESCRIPTOR> formats = {describePixelFormat(trueColour32()),
                                                        describePixelFormat(trueColour24())};
    EXPECT_EQ(closestPixelFormat(formats, shellRequest()), 2);
    PIXELFORMATDESCRIPTOR withAlpha = shellRequest();
    withAlpha.cAlphaBits = 8;
    EXPECT_EQ(closestPixelFormat(formats, withAlpha), 1);
}

TEST(ClosestPixelFormat, PaletteOnlyWhenNothingElseFits) {
    const std::vector<PIXELFORMATDESCRIPTOR> mixed = {describePixelFormat(pseudoColour8()),
                                                      describePixelFormat(trueColour24())};
    EXPECT_EQ(closestPixelFormat(mixed, shellRequest()), 2);
    const std::vector<PIXELFORMATDESCRIPTOR> indexedOnly = {singleBuffered(), describePixelFormat(pseudoColour8())};
    EXPECT_EQ(closestPixelFormat(indexedOnly, shellRequest()), 2);
}

TEST(ClosestPixelFormat, MoreColourBitsWinWhenTheRequestIsShort) {
    FormatTraits sixteen = trueColour24();
    sixteen.depth = 16;
    sixteen.redMask = 0xF800;
    sixteen.greenMask = 0x07E0;
    sixteen.blueMask = 0x001F;
    const std::vector<PIXELFORMATDESCRIPTOR> formats = {describePixelFormat(sixteen),
                                                        describePixelFormat(trueColour24())};
    EXPECT_EQ(closestPixelFormat(formats, shellRequest()), 2);
}

TEST(ClosestPixelFormat, EqualFormatsKeepTheEarliest) {
    const std::vector<PIXELFORMATDESCRIPTOR> formats = {withDepth(trueColour24(), 0), withDepth(trueColour24(), 16),
                                                        withDepth(trueColour24(), 16)};
    EXPECT_EQ(closestPixelFormat(formats, shellRequest()), 2);
}

TEST(ClosestPixelFormat, NothingFitsGivesZero) {
    EXPECT_EQ(closestPixelFormat({}, shellRequest()), 0);
    EXPECT_EQ(closestPixelFormat({singleBuffered()}, shellRequest()), 0);
    PIXELFORMATDESCRIPTOR noGl = describePixelFormat(trueColour24());
    noGl.dwFlags &= ~PFD_SUPPORT_OPENGL;
    PIXELFORMATDESCRIPTOR colourIndex = describePixelFormat(trueColour24());
    colourIndex.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(closestPixelFormat({noGl, colourIndex}, shellRequest()), 0);
}

TEST(ClosestPixelFormat, SingleBufferedServesARequestWithoutDoubleBuffering) {
    PIXELFORMATDESCRIPTOR single = shellRequest();
    single.dwFlags &= ~PFD_DOUBLEBUFFER;
    EXPECT_EQ(closestPixelFormat({singleBuffered()}, single), 1);
}

// Mesa's window configs as the layer sees them: the window's 24-bit visual with and without alpha in the
// GL buffer, and the 32-bit visual with alpha, each with depth buffers of 16, 24 and 32 bits.
struct Candidates {
    std::vector<PIXELFORMATDESCRIPTOR> formats;
    std::vector<int> visualDepths;
    void add(FormatTraits t, int depthBits) {
        formats.push_back(withDepth(t, depthBits));
        visualDepths.push_back(t.depth);
    }
    // The traits of the chosen format, for readable failures.
    std::string describe(int chosen) const {
        if (chosen == 0) return "none";
        const PIXELFORMATDESCRIPTOR& f = formats[chosen - 1];
        return "visual " + std::to_string(visualDepths[chosen - 1]) + ", alpha " + std::to_string(f.cAlphaBits) +
               ", depth " + std::to_string(f.cDepthBits);
    }
};

Candidates mesaLikeCandidates() {
    FormatTraits alpha24 = trueColour24();
    alpha24.alphaSize = 8;
    Candidates c;
    for (int depthBits : {16, 24, 32}) c.add(trueColour24(), depthBits);
    for (int depthBits : {16, 24, 32}) c.add(alpha24, depthBits);
    for (int depthBits : {16, 24, 32}) c.add(trueColour32(), depthBits);
    return c;
}

int choose(const Candidates& c, const FormatPreference& preference) {
    return closestPixelFormat(c.formats, shellRequest(), preference, c.visualDepths);
}

TEST(ClosestPixelFormat, LayerPreferencesPickAlphaDepthAndVisualWithoutCostingTheRequest) {
    const Candidates c = mesaLikeCandidates();
    EXPECT_EQ(c.describe(choose(c, {})), "visual 24, alpha 0, depth 16") << "no preference: Win32's choice";

    FormatPreference deeper;
    deeper.depthBits = 24;
    EXPECT_EQ(c.describe(choose(c, deeper)), "visual 24, alpha 0, depth 24");

    FormatPreference layered = deeper;
    layered.alpha = true;
    layered.visualDepth = 24;
    EXPECT_EQ(c.describe(choose(c, layered)), "visual 24, alpha 8, depth 24") << "alpha on the window's own visual";

    FormatPreference perPixel = layered;
    perPixel.visualDepth = 32;
    EXPECT_EQ(c.describe(choose(c, perPixel)), "visual 32, alpha 8, depth 24");
}

TEST(ClosestPixelFormat, PreferencesNeverOutrankWhatWasAskedFor) {
    Candidates c;
    FormatTraits shallow = trueColour32();
    c.add(shallow, 0);         // the wanted visual with alpha, but no depth buffer
    c.add(trueColour24(), 16); // what the request asks for
    FormatPreference preference;
    preference.visualDepth = 32;
    preference.alpha = true;
    preference.depthBits = 24;
    EXPECT_EQ(c.describe(choose(c, preference)), "visual 24, alpha 0, depth 16");

    // A request for more depth than preferred keeps the smallest depth that suffices.
    PIXELFORMATDESCRIPTOR deep = shellRequest();
    deep.cDepthBits = 32;
    const Candidates m = mesaLikeCandidates();
    const int chosen = closestPixelFormat(m.formats, deep, preference, m.visualDepths);
    EXPECT_EQ(m.describe(chosen), "visual 32, alpha 8, depth 32");

    // Without a visual depth for each format the visual preference cannot apply.
    EXPECT_EQ(m.describe(closestPixelFormat(m.formats, shellRequest(), preference)), "visual 24, alpha 8, depth 24");
}

} // namespace
