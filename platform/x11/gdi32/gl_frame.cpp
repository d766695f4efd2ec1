// Reading a layered window's frame back and writing its alpha, in fixed-function GL.

#include "gdi32/gl_frame.h"

#include <algorithm>
#include <cstdio>

namespace {

template <typename Function>
Function glFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// Bindings a program may have changed that would redirect the layer's reads and draws: framebuffer
// objects, pixel buffer objects and a shader program. Not covered by glPushAttrib, so saved and
// restored by hand.
class Bindings {
public:
    explicit Bindings(const GlFrameContext& gl) : gl_(gl) {
        if (gl_.bindFramebuffer) {
            glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
            glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
            if (readFramebuffer_ || drawFramebuffer_) gl_.bindFramebuffer(GL_FRAMEBUFFER, 0);
        }
        if (gl_.bindBuffer) {
            glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer_);
            glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer_);
            if (packBuffer_) gl_.bindBuffer(GL_PIXEL_PACK_BUFFER, 0);
            if (unpackBuffer_) gl_.bindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
        }
        if (gl_.useProgram) {
            glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
            if (program_) gl_.useProgram(0);
        }
    }
    ~Bindings() {
        if (program_) gl_.useProgram(static_cast<GLuint>(program_));
        if (packBuffer_) gl_.bindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer_));
        if (unpackBuffer_) gl_.bindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer_));
        if (readFramebuffer_ || drawFramebuffer_) {
            gl_.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
            gl_.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
        }
    }
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;

private:
    const GlFrameContext& gl_;
    GLint readFramebuffer_ = 0;
    GLint drawFramebuffer_ = 0;
    GLint packBuffer_ = 0;
    GLint unpackBuffer_ = 0;
    GLint program_ = 0;
};

// Room on both attribute stacks for one more push; a full stack would fail the push with an error the
// program would then see, and leave what the layer changes unrestored.
GLint integerState(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

bool attributeStacksHaveRoom() {
    return integerState(GL_ATTRIB_STACK_DEPTH) < integerState(GL_MAX_ATTRIB_STACK_DEPTH) &&
           integerState(GL_CLIENT_ATTRIB_STACK_DEPTH) < integerState(GL_MAX_CLIENT_ATTRIB_STACK_DEPTH);
}

// Pixel transfer back to the identity, so pixels read and drawn are the stored values.
void plainPixelTransfer() {
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    for (GLenum scale : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE, GL_ALPHA_SCALE}) glPixelTransferf(scale, 1.0f);
    for (GLenum bias : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS, GL_ALPHA_BIAS}) glPixelTransferf(bias, 0.0f);
    glPixelZoom(1.0f, 1.0f);
}

void plainPixelStore(GLenum alignment, GLenum rowLength, GLenum skipRows, GLenum skipPixels, GLenum swapBytes,
                     GLenum lsbFirst, GLint alignTo) {
    glPixelStorei(alignment, alignTo);
    glPixelStorei(rowLength, 0);
    glPixelStorei(skipRows, 0);
    glPixelStorei(skipPixels, 0);
    glPixelStorei(swapBytes, GL_FALSE);
    glPixelStorei(lsbFirst, GL_FALSE);
}

// A vector sized to count that gives back a much larger allocation, so a window that was briefly
// huge does not keep its memory.
template <typename T>
void fitTo(std::vector<T>& buffer, size_t count) {
    if (buffer.capacity() > 2 * count + 65536) std::vector<T>().swap(buffer);
    buffer.resize(count);
}

// Everything the pass draws with: the state glPushAttrib saved (below) set to plain values. Texturing
// applies every unit with a target enabled, so each unit's targets are disabled.
void plainDrawingState(const GlFrameContext& gl, int width, int height) {
    for (GLenum capability : {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_FOG, GL_LIGHTING, GL_CULL_FACE,
                              GL_POLYGON_STIPPLE, GL_COLOR_LOGIC_OP, GL_SCISSOR_TEST, GL_DITHER})
        glDisable(capability);
    for (GLenum plane = GL_CLIP_PLANE0; plane <= GL_CLIP_PLANE5; ++plane) glDisable(plane);
    if (gl.activeTexture) {
        const GLint active = integerState(GL_ACTIVE_TEXTURE);
        for (int unit = 0; unit < gl.textureUnits; ++unit) {
            gl.activeTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
            for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP}) glDisable(target);
        }
        gl.activeTexture(static_cast<GLenum>(active));
    } else {
        glDisable(GL_TEXTURE_1D);
        glDisable(GL_TEXTURE_2D);
    }
    glDrawBuffer(GL_BACK);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glViewport(0, 0, width, height);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl.blendEquation(GL_FUNC_ADD);
}

// The projection and modelview matrices at identity for the pass, and back after it.
class IdentityMatrices {
public:
    IdentityMatrices() {
        glGetFloatv(GL_PROJECTION_MATRIX, projection_);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview_);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    // Called after glPopAttrib restored the matrix mode: the program's mode is current again last.
    void restore() {
        GLint mode = GL_MODELVIEW;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projection_);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(modelview_);
        glMatrixMode(static_cast<GLenum>(mode));
    }

private:
    GLfloat projection_[16];
    GLfloat modelview_[16];
};

// Colour times the opacity and alpha the opacity, in one blended pass (the quad's colour is 1).
void multiplyByOpacity(const GlFrameContext& gl, float opacity) {
    glEnable(GL_BLEND);
    gl.blendColor(0.0f, 0.0f, 0.0f, opacity);
    gl.blendFuncSeparate(GL_ZERO, GL_CONSTANT_ALPHA, GL_CONSTANT_ALPHA, GL_ZERO);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
}

// Every channel of the cutout's pixels to 0: rectangles cleared one by one, or the image multiplied in.
void clearKey(const KeyCutout& cutout, int height) {
    if (cutout.mask.empty()) {
        glDisable(GL_BLEND);
        glEnable(GL_SCISSOR_TEST);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        for (const MaskRect& r : cutout.rects) {
            glScissor(r.x, height - r.y - r.height, r.width, r.height);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    plainPixelTransfer();
    plainPixelStore(GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                    GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_ALPHA);
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(cutout.maskWidth, cutout.maskHeight, GL_ALPHA, GL_UNSIGNED_BYTE, cutout.mask.data());
}

// Past this many key rectangles one image of the alpha beats clearing them one by one.
constexpr size_t kMostKeyClears = 32;

} // namespace

void readGlContext(GlFrameContext& gl) {
    const GLXContext context = glXGetCurrentContext();
    if (gl.context == context) return;
    gl = GlFrameContext{};
    gl.context = context;
    int major = 1;
    int minor = 0;
    if (const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION)))
        std::sscanf(version, "%d.%d", &major, &minor);
    gl.version = major * 10 + minor;
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    gl.maxReadWidth = std::max(1, static_cast<int>(dims[0]));
    gl.maxReadHeight = std::max(1, static_cast<int>(dims[1]));
    if (gl.version >= 30) gl.bindFramebuffer = glFunction<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
    if (gl.version >= 21) gl.bindBuffer = glFunction<PFNGLBINDBUFFERPROC>("glBindBuffer");
    if (gl.version >= 20) gl.useProgram = glFunction<PFNGLUSEPROGRAMPROC>("glUseProgram");
    if (gl.version >= 13) {
        gl.activeTexture = glFunction<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
        GLint units = 1;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
        gl.textureUnits = std::max(1, static_cast<int>(units));
    }
    if (gl.version >= 14) {
        gl.blendEquation = glFunction<PFNGLBLENDEQUATIONPROC>("glBlendEquation");
        gl.blendColor = glFunction<PFNGLBLENDCOLORPROC>("glBlendColor");
        gl.blendFuncSeparate = glFunction<PFNGLBLENDFUNCSEPARATEPROC>("glBlendFuncSeparate");
    }
}

bool canWriteAlpha(const GlFrameContext& gl) { return gl.blendEquation && gl.blendColor && gl.blendFuncSeparate; }

FrameView readBackBuffer(const GlFrameContext& gl, int clientWidth, int clientHeight, std::vector<uint32_t>& frame) {
    const int width = std::min(clientWidth, gl.maxReadWidth);
    const int height = std::min(clientHeight, gl.maxReadHeight);
    fitTo(frame, static_cast<size_t>(width) * static_cast<size_t>(height));

    Bindings bindings(gl);
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glReadBuffer(GL_BACK);
    plainPixelTransfer();
    plainPixelStore(GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS, GL_PACK_SWAP_BYTES,
                    GL_PACK_LSB_FIRST, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, frame.data());
    glPopClientAttrib();
    glPopAttrib();
    return {frame.data(), width, height};
}

void cutOutKey(const std::vector<MaskRect>& opaque, const FrameView& frame, COLORREF key, int clientWidth,
               int clientHeight, KeyCutout& cutout) {
    keyRectangles(opaque, clientWidth, clientHeight, cutout.rects);
    if (cutout.rects.size() <= kMostKeyClears) {
        cutout.mask.clear();
        return;
    }
    const size_t count = static_cast<size_t>(frame.width) * frame.height;
    fitTo(cutout.mask, count);
    const uint32_t word = keyWord(key);
    for (size_t i = 0; i < count; ++i) cutout.mask[i] = (frame.pixels[i] & 0x00FFFFFF) == word ? 0 : 255;
    cutout.maskWidth = frame.width;
    cutout.maskHeight = frame.height;
}

namespace {

// The groups a pass over the frame changes; GL_ALL_ATTRIB_BITS would copy every texture unit's state.
// Pixel transfer and the client's pixel store only matter to an image of the key.
constexpr GLbitfield kPassAttributes = GL_COLOR_BUFFER_BIT | GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT |
                                       GL_SCISSOR_BIT | GL_TRANSFORM_BIT | GL_VIEWPORT_BIT;

// A pass over the frame with plain state: colour times the opacity where one is given, then the
// cutout's pixels to 0.
bool drawOverFrame(const GlFrameContext& gl, int clientWidth, int clientHeight, const float* opacity,
                   const KeyCutout* cutout) {
    if (!attributeStacksHaveRoom()) return false;
    const bool image = cutout && !cutout->mask.empty();
    Bindings bindings(gl);
    glPushAttrib(image ? kPassAttributes | GL_PIXEL_MODE_BIT : kPassAttributes);
    if (image) glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    IdentityMatrices matrices;
    plainDrawingState(gl, clientWidth, clientHeight);
    if (opacity) multiplyByOpacity(gl, *opacity);
    if (cutout) clearKey(*cutout, clientHeight);
    if (image) glPopClientAttrib();
    glPopAttrib(); // restores the matrix mode, so the matrices are restored after it
    matrices.restore();
    return true;
}

} // namespace

bool writeWindowAlpha(const GlFrameContext& gl, int clientWidth, int clientHeight, float opacity,
                      const KeyCutout* cutout) {
    return drawOverFrame(gl, clientWidth, clientHeight, &opacity, cutout);
}

// NOTE: the common case, a few rectangles, are scissored clears, which only the colour-buffer and
// scissor state affect; the whole pass's state is set up for an image of the key alone.
bool clearKeyPixels(const GlFrameContext& gl, int clientWidth, int clientHeight, const KeyCutout& cutout) {
    if (!cutout.mask.empty()) return drawOverFrame(gl, clientWidth, clientHeight, nullptr, &cutout);
    if (!attributeStacksHaveRoom()) return false;
    Bindings bindings(gl);
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glDrawBuffer(GL_BACK);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    clearKey(cutout, clientHeight);
    glPopAttrib();
    return true;
}
