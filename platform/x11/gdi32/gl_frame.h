#pragma once
// The GL side of a layered window's translucency: the back buffer read for the colour key, and the
// window's own alpha written into it for a compositor. Both leave the program's GL state exactly as it
// was: its next frame starts where it left off.

// NOTE: the boundary header defines APIENTRY unconditionally, GL only when undefined: it goes first.
#include "win32_api.h"

#include <GL/glx.h>

#include <cstdint>
#include <vector>

#include "color_key_runs.h"

// What the layer uses of one GL context, looked up once per context: enums and entry points of a newer
// GL are errors on an older one, and the program's own error state must not change.
struct GlFrameContext {
    GLXContext context = nullptr;                           // the context the rest was read from; null: none yet
    int version = 0;                                        // its GL version as major * 10 + minor
    int maxReadWidth = 0;                                   // GL_MAX_VIEWPORT_DIMS: the most of a frame read
    int maxReadHeight = 0;                                  //   and drawn over
    int textureUnits = 1;                                   // fixed-function units, each disabled for the pass
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;     // GL 3.0: framebuffer objects
    PFNGLBINDBUFFERPROC bindBuffer = nullptr;               // GL 2.1: pixel buffer objects
    PFNGLUSEPROGRAMPROC useProgram = nullptr;               // GL 2.0: shader programs
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;         // GL 1.3: texture units
    PFNGLBLENDEQUATIONPROC blendEquation = nullptr;         // GL 1.4: blend equation,
    PFNGLBLENDCOLORPROC blendColor = nullptr;               //   constant colour
    PFNGLBLENDFUNCSEPARATEPROC blendFuncSeparate = nullptr; //   and separate alpha factors
};

// Where a frame's key pixels are, for making them fully transparent: as rectangles, or as one alpha
// image (0 at key pixels, 255 elsewhere, rows bottom-up) where there are too many rectangles.
struct KeyCutout {
    std::vector<MaskRect> rects;     // window coordinates; used while mask is empty
    std::vector<unsigned char> mask; // maskWidth x maskHeight, from the window's bottom-left corner
    int maskWidth = 0;
    int maskHeight = 0;
};

// Makes gl describe the current context; nothing to do when it already does.
void readGlContext(GlFrameContext& gl);

// Whether the context can write the window's alpha (GL 1.4's separate blend factors and blend colour).
bool canWriteAlpha(const GlFrameContext& gl);

// Reads the back buffer into frame as BGRA words, at most the largest viewport a side from the
// bottom-left corner; frame follows the window's size both ways.
FrameView readBackBuffer(const GlFrameContext& gl, int clientWidth, int clientHeight, std::vector<uint32_t>& frame);

// The key of a frame as cutout: the gaps the opaque rectangles leave, or an image where they are many.
void cutOutKey(const std::vector<MaskRect>& opaque, const FrameView& frame, COLORREF key, int clientWidth,
               int clientHeight, KeyCutout& cutout);

// The window's own alpha for a compositor: alpha becomes opacity and colour is multiplied by it
// (compositors blend premultiplied colour), then the cutout's pixels become 0 in every channel. A pass
// over the whole frame. False (nothing written) where the attribute stacks are full.
bool writeWindowAlpha(const GlFrameContext& gl, int clientWidth, int clientHeight, float opacity,
                      const KeyCutout* cutout);

// Only the cutout's pixels to 0 in every channel, the rest of the frame as drawn. False (nothing
// written) where the attribute stacks are full.
bool clearKeyPixels(const GlFrameContext& gl, int clientWidth, int clientHeight, const KeyCutout& cutout);
