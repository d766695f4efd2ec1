// SwapBuffers, with what a layered window needs done to the frame first, and the pacing of swaps
// where the driver has no swap control.
//
// LWA_COLORKEY: the back buffer is read (one plain copy: the formats of layered windows have alpha,
// so BGRA is how they are stored) and scanned a 32-bit word at a time. While no pixel has the key
// colour the window has no shape at all, which window managers need to decorate it normally. Where
// pixels have it they are cut out of the input shape (click-through) and, unless per-pixel alpha
// shows them, out of the bounding shape (see-through). A display shows one frame per refresh, so of
// frames drawn faster than that (vertical sync off) one a refresh is read; the shape of a frame in
// between may be up to one refresh old, as its pixels would be on the screen.
// LWA_ALPHA: a compositing manager blends by the window's _NET_WM_WINDOW_OPACITY. Where the window was
// given a visual with alpha (under Xwayland, whose compositors ignore the hint; see wantsPerPixelAlpha)
// the layer writes the opacity into the frame's own alpha instead, key pixels fully transparent.
// Without a compositor nothing blends: the window shows opaque.

#include <X11/extensions/shape.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "compositing.h"
#include "layer.h"
#include "swap_control.h"

namespace {

long long monotonicNs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void sleepUntil(long long deadline) {
    timespec until = {static_cast<time_t>(deadline / 1000000000LL), static_cast<long>(deadline % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
}

// ---- Shapes ------------------------------------------------------------------------------------

// Input shapes came with version 1.1 of the Shape extension.
bool queryShapeExtension(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XShapeQueryExtension(display, &eventBase, &errorBase) && XShapeQueryVersion(display, &major, &minor) &&
           (major > 1 || (major == 1 && minor >= 1));
}

bool hasShapeExtension() {
    LayerState& state = layer();
    if (!state.shapeQueried) {
        state.hasShape = state.display && queryShapeExtension(state.display);
        state.shapeQueried = true;
    }
    return state.hasShape;
}

// How far the shape reaches past the window's edges (see opaqueRectangles): more than any window
// manager's decorations, within X's 16-bit coordinates.
int shapeMargin(int width, int height) {
    constexpr int kMargin = 4096;
    return std::clamp(32767 - std::max(width, height), 0, kMargin);
}

void setShape(Display* display, Window window, int kind, const std::vector<MaskRect>* rects) {
    if (!rects) {
        XShapeCombineMask(display, window, kind, 0, 0, None, ShapeSet);
        return;
    }
    thread_local std::vector<XRectangle> xrects;
    xrects.clear();
    for (const MaskRect& r : *rects) {
        xrects.push_back({static_cast<short>(r.x), static_cast<short>(r.y), static_cast<unsigned short>(r.width),
                          static_cast<unsigned short>(r.height)});
    }
    XShapeCombineRectangles(display, window, kind, 0, 0, xrects.data(), static_cast<int>(xrects.size()), ShapeSet,
                            YXBanded);
}

// Sets the bounding and input shapes to dc->shape where wanted and removes them elsewhere, sending
// only what changed.
void updateShapes(HDC__* dc, bool bounding, bool input) {
    Display* display = layer().display;
    const Window window = dc->window->xwindow;
    const bool sameRects = dc->shape == dc->appliedShape;
    const bool boundingChanges = bounding != dc->boundingApplied || (bounding && !sameRects);
    const bool inputChanges = input != dc->inputApplied || (input && !sameRects);
    if (!boundingChanges && !inputChanges) return;
    XErrorTrap trap(display);
    if (boundingChanges) setShape(display, window, ShapeBounding, bounding ? &dc->shape : nullptr);
    if (inputChanges) setShape(display, window, ShapeInput, input ? &dc->shape : nullptr);
    dc->boundingApplied = bounding;
    dc->inputApplied = input;
    if (bounding || input) dc->appliedShape = dc->shape;
}

// ---- Compositor --------------------------------------------------------------------------------

void noteNoCompositor(int screen) {
    LayerState& state = layer();
    if (state.opaqueNoticeGiven) return;
    state.opaqueNoticeGiven = true;
    std::fprintf(stderr,
                 "tessivar: no compositing manager owns %s: translucent windows show opaque "
                 "(colour-keyed pixels are still cut out)\n",
                 compositorSelectionName(screen).c_str());
}

// ---- GL ------------------------------------------------------------------------------------------

template <typename Function>
Function glFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// What the frame's context offers, read once: enums of a newer GL are errors on an older one, and
// the program's own error state must not change.
void readGlCaps(HDC__* dc) {
    const GLXContext context = glXGetCurrentContext();
    if (dc->glCapsContext == context) return;
    dc->glCapsContext = context;
    int major = 1;
    int minor = 0;
    if (const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION)))
        std::sscanf(version, "%d.%d", &major, &minor);
    dc->glVersion = major * 10 + minor;
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    dc->maxReadWidth = std::max(1, static_cast<int>(dims[0]));
    dc->maxReadHeight = std::max(1, static_cast<int>(dims[1]));
}

// Bindings a program may have changed that would redirect the layer's reads and draws: framebuffer
// objects (GL 3.0), pixel buffer objects (GL 2.1) and a shader program (GL 2.0). Not covered by
// glPushAttrib, so saved and restored by hand.
class Bindings {
public:
    explicit Bindings(int glVersion) : version_(glVersion) {
        if (version_ >= 30) {
            bindFramebuffer_ = glFunction<PFNGLBINDFRAMEBUFFERPROC>("glBindFramebuffer");
            glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
            glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
            if (bindFramebuffer_ && (readFramebuffer_ || drawFramebuffer_)) bindFramebuffer_(GL_FRAMEBUFFER, 0);
        }
        if (version_ >= 21) {
            bindBuffer_ = glFunction<PFNGLBINDBUFFERPROC>("glBindBuffer");
            glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer_);
            glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer_);
            if (bindBuffer_ && packBuffer_) bindBuffer_(GL_PIXEL_PACK_BUFFER, 0);
            if (bindBuffer_ && unpackBuffer_) bindBuffer_(GL_PIXEL_UNPACK_BUFFER, 0);
        }
        if (version_ >= 20) {
            useProgram_ = glFunction<PFNGLUSEPROGRAMPROC>("glUseProgram");
            glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
            if (useProgram_ && program_) useProgram_(0);
        }
    }
    ~Bindings() {
        if (useProgram_ && program_) useProgram_(static_cast<GLuint>(program_));
        if (bindBuffer_ && packBuffer_) bindBuffer_(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer_));
        if (bindBuffer_ && unpackBuffer_) bindBuffer_(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(unpackBuffer_));
        if (bindFramebuffer_ && (readFramebuffer_ || drawFramebuffer_)) {
            bindFramebuffer_(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
            bindFramebuffer_(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
        }
    }
    Bindings(const Bindings&) = delete;
    Bindings& operator=(const Bindings&) = delete;

private:
    int version_;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer_ = nullptr;
    PFNGLBINDBUFFERPROC bindBuffer_ = nullptr;
    PFNGLUSEPROGRAMPROC useProgram_ = nullptr;
    GLint readFramebuffer_ = 0;
    GLint drawFramebuffer_ = 0;
    GLint packBuffer_ = 0;
    GLint unpackBuffer_ = 0;
    GLint program_ = 0;
};

// Room on both attribute stacks for one more push; a full stack would fail the push with an error the
// program would then see, and leave what the layer changes unrestored.
bool attributeStacksHaveRoom() {
    GLint depth = 0;
    GLint maxDepth = 0;
    GLint clientDepth = 0;
    GLint maxClientDepth = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
    glGetIntegerv(GL_MAX_ATTRIB_STACK_DEPTH, &maxDepth);
    glGetIntegerv(GL_CLIENT_ATTRIB_STACK_DEPTH, &clientDepth);
    glGetIntegerv(GL_MAX_CLIENT_ATTRIB_STACK_DEPTH, &maxClientDepth);
    return depth < maxDepth && clientDepth < maxClientDepth;
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

// Reads what the back buffer holds into dc->frame: at most the GL implementation's largest viewport
// a side, from the bottom-left corner. The buffer follows the window's size both ways, so a window
// that was briefly huge does not keep its memory.
FrameView readBackBuffer(HDC__* dc) {
    const HWND__& window = *dc->window;
    const int width = std::min(window.clientWidth, dc->maxReadWidth);
    const int height = std::min(window.clientHeight, dc->maxReadHeight);
    const size_t needed = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (dc->frame.capacity() > 2 * needed + 65536) std::vector<uint32_t>().swap(dc->frame);
    dc->frame.resize(needed);

    Bindings bindings(dc->glVersion);
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glReadBuffer(GL_BACK);
    plainPixelTransfer();
    plainPixelStore(GL_PACK_ALIGNMENT, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS, GL_PACK_SWAP_BYTES,
                    GL_PACK_LSB_FIRST, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, dc->frame.data());
    glPopClientAttrib();
    glPopAttrib();
    return {dc->frame.data(), width, height};
}

// The per-pixel alpha pass: alpha becomes the window's opacity and colour is multiplied by it
// (compositors blend premultiplied colour), then key pixels become 0 in every channel. Fixed function
// (GL 1.4); every piece of state it touches is restored.
// Past this many key rectangles one image of the alpha beats clearing them one by one.
constexpr size_t kMostKeyClears = 32;

// The key as one image over the part of the window that was read: every channel multiplied by 0 at
// key pixels and by 1 elsewhere. Drawn at the window's bottom-left corner with the matrices at identity.
void drawKeyMask(HDC__* dc, const FrameView& frame) {
    const size_t count = static_cast<size_t>(frame.width) * frame.height;
    if (dc->alphaMask.capacity() > 2 * count + 65536) std::vector<unsigned char>().swap(dc->alphaMask);
    dc->alphaMask.resize(count);
    const uint32_t key = keyWord(dc->window->colorKey);
    unsigned char* mask = dc->alphaMask.data();
    for (size_t i = 0; i < count; ++i) mask[i] = (frame.pixels[i] & 0x00FFFFFF) == key ? 0 : 255;
    plainPixelTransfer();
    plainPixelStore(GL_UNPACK_ALIGNMENT, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                    GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_ALPHA);
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(frame.width, frame.height, GL_ALPHA, GL_UNSIGNED_BYTE, mask);
}

void writeAlpha(HDC__* dc, const FrameView& frame, bool keyed) {
    const HWND__& window = *dc->window;
    const int width = window.clientWidth;
    const int height = window.clientHeight;
    const float opacity = (window.layeredFlags & LWA_ALPHA) ? window.alpha / 255.0f : 1.0f;

    Bindings bindings(dc->glVersion);
    GLfloat projection[16];
    GLfloat modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);

    if (dc->glVersion >= 14) glFunction<PFNGLBLENDEQUATIONPROC>("glBlendEquation")(GL_FUNC_ADD);
    for (GLenum capability : {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_FOG, GL_LIGHTING, GL_CULL_FACE,
                              GL_POLYGON_STIPPLE, GL_COLOR_LOGIC_OP, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_DITHER})
        glDisable(capability);
    if (dc->glVersion >= 13) {
        // Fixed-function texturing applies every unit that has a target enabled.
        GLint units = 1;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
        const auto activeTexture = glFunction<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
        for (GLint unit = 0; unit < units && activeTexture; ++unit) {
            activeTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
            for (GLenum target : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_3D, GL_TEXTURE_CUBE_MAP}) glDisable(target);
        }
    }
    glDrawBuffer(GL_BACK);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // One blended pass: colour times the opacity, alpha the opacity (the quad's alpha is 1).
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glFunction<PFNGLBLENDCOLORPROC>("glBlendColor")(0.0f, 0.0f, 0.0f, opacity);
    glFunction<PFNGLBLENDFUNCSEPARATEPROC>("glBlendFuncSeparate")(GL_ZERO, GL_CONSTANT_ALPHA, GL_CONSTANT_ALPHA,
                                                                  GL_ZERO);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRectf(-1.0f, -1.0f, 1.0f, 1.0f);

    // Then the key pixels to nothing at all.
    if (keyed) {
        thread_local std::vector<MaskRect> keyRects;
        keyRectangles(dc->shape, width, height, keyRects);
        if (keyRects.size() <= kMostKeyClears) {
            glDisable(GL_BLEND);
            glEnable(GL_SCISSOR_TEST);
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            for (const MaskRect& r : keyRects) {
                glScissor(r.x, height - r.y - r.height, r.width, r.height);
                glClear(GL_COLOR_BUFFER_BIT);
            }
            glDisable(GL_SCISSOR_TEST);
        } else {
            drawKeyMask(dc, frame);
        }
    }

    glPopClientAttrib();
    glPopAttrib(); // restores the matrix mode, so the modelview matrix is restored last under it
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(modelview);
    glMatrixMode(static_cast<GLenum>(mode));
}

bool usesLayering(const HWND__& window) {
    return (window.exStyle & WS_EX_LAYERED) && (window.layeredFlags & (LWA_COLORKEY | LWA_ALPHA));
}

void leaveAlphaPass(HDC__* dc) {
    if (!dc->alphaPassOn) return;
    dc->alphaPassOn = false;
    applyOpacity(layer().display, *dc->window);
}

// ---- Pacing ------------------------------------------------------------------------------------

// The refresh rate of the primary output's mode, or of the first lit one; 0 when RandR says nothing.
double randrRefreshHz(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < 3))
        return 0.0;
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (!resources) return 0.0;
    const RROutput primary = XRRGetOutputPrimary(display, root);
    double rate = 0.0;
    for (int i = 0; i < resources->ncrtc && rate == 0.0; ++i) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
        if (!crtc) continue;
        bool onPrimary = primary == None;
        for (int o = 0; o < crtc->noutput; ++o) onPrimary = onPrimary || crtc->outputs[o] == primary;
        for (int m = 0; m < resources->nmode && crtc->mode != None && onPrimary; ++m) {
            const XRRModeInfo& mode = resources->modes[m];
            if (mode.id != crtc->mode) continue;
            rate = modeRefreshHz(mode.dotClock, mode.hTotal, mode.vTotal, mode.modeFlags & RR_Interlace,
                                 mode.modeFlags & RR_DoubleScan);
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return rate;
}

// Xwayland names its RandR outputs XWAYLAND0, XWAYLAND1, ...
bool isXwayland(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources) return false;
    bool xwayland = false;
    for (int i = 0; i < resources->noutput && !xwayland; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (!output) continue;
        xwayland = output->name && std::strncmp(output->name, "XWAYLAND", 8) == 0;
        XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
    return xwayland;
}

long long refreshPeriod() {
    LayerState& state = layer();
    if (state.refreshPeriod == 0) state.refreshPeriod = refreshPeriodNs(randrRefreshHz(state.display));
    return state.refreshPeriod;
}

// While a window is unmapped or minimised nothing of it shows, so frames are held to a few a second.
constexpr long long kHiddenFramePeriod = 100000000LL;
// Looking at the map state costs a round trip, so it is looked at a few times a second.
constexpr long long kMapCheckPeriod = 200000000LL;

bool isViewable(HDC__* dc, long long now) {
    // The first frame follows ShowWindow; the first look waits a period, sparing start-up a round trip.
    if (dc->mapCheckedAt == 0) dc->mapCheckedAt = now;
    if (now - dc->mapCheckedAt < kMapCheckPeriod) return dc->viewable;
    dc->mapCheckedAt = now;
    Display* display = layer().display;
    XErrorTrap trap(display);
    XWindowAttributes attributes = {};
    if (XGetWindowAttributes(display, dc->window->xwindow, &attributes) && !trap.failed())
        dc->viewable = attributes.map_state == IsViewable;
    return dc->viewable;
}

// The moment the next swap is due: now, or later by the layer's own interval where the driver has no
// swap control, and at a slow pace for a window nobody can see.
long long swapDueTime(HDC__* dc) {
    LayerState& state = layer();
    const long long now = monotonicNs();
    if (!isViewable(dc, now)) return nextSwapTime(dc->lastSwap, now, kHiddenFramePeriod, 1);
    if (state.pacedInterval > 0 && dc->lastSwap != 0) // set only where the driver has no swap control
        return nextSwapTime(dc->lastSwap, now, refreshPeriod(), state.pacedInterval); // looked up on the second swap
    return now;
}

void waitForSwap(HDC__* dc, long long due) {
    const long long now = monotonicNs();
    if (due > now) sleepUntil(due);
    dc->lastSwap = std::max(due, now);
}

} // namespace

bool compositorPresent() {
    LayerState& state = layer();
    if (!state.display) return false;
    const long long now = monotonicNs();
    constexpr long long kRecheckPeriod = 1000000000LL;
    if (state.compositorCheckedAt != 0 && now - state.compositorCheckedAt < kRecheckPeriod) return state.compositing;
    const int screen = DefaultScreen(state.display);
    if (!state.compositorSelection)
        state.compositorSelection = XInternAtom(state.display, compositorSelectionName(screen).c_str(), False);
    state.compositing = XGetSelectionOwner(state.display, state.compositorSelection) != None;
    state.compositorCheckedAt = now;
    if (!state.compositing) noteNoCompositor(screen);
    return state.compositing;
}

// NOTE: per-pixel alpha costs a blended pass over the whole frame every frame (on a software
// rasteriser about as much as the frame itself), and X compositors honour the opacity hint, so the
// layer blends per pixel only where the hint is ignored: Xwayland (Weston and other Wayland
// compositors), known by its RandR outputs' names. TESSIVAR_PER_PIXEL_ALPHA=1 asks for it under any
// compositor, =0 never.
bool wantsPerPixelAlpha(const HWND__& window) {
    if (!usesLayering(window) || !compositorPresent()) return false;
    const char* forced = std::getenv("TESSIVAR_PER_PIXEL_ALPHA");
    if (forced && *forced) return std::strcmp(forced, "0") != 0;
    return isXwayland(layer().display);
}

namespace {

// Whether this frame's back buffer must be read for the key: once a refresh, at once when the size or
// the key changed, and every frame the alpha pass makes key pixels transparent in the frame itself.
bool keyScanNeeded(HDC__* dc, long long swapTime, bool alphaPass) {
    const HWND__& window = *dc->window;
    if (alphaPass || dc->keyScannedSwap == 0 || window.clientWidth != dc->keyScannedWidth ||
        window.clientHeight != dc->keyScannedHeight || window.colorKey != dc->keyScannedColor)
        return true;
    return keyScanDue(dc->keyScannedSwap, swapTime, refreshPeriod());
}

void noteKeyScan(HDC__* dc, long long swapTime, bool keyed) {
    dc->keyed = keyed;
    dc->keyScannedSwap = swapTime;
    dc->keyScannedWidth = dc->window->clientWidth;
    dc->keyScannedHeight = dc->window->clientHeight;
    dc->keyScannedColor = dc->window->colorKey;
}

} // namespace

void applyTranslucency(HDC__* dc, long long swapTime) {
    Display* display = layer().display;
    HWND__& window = *dc->window;
    if (!display || window.clientWidth <= 0 || window.clientHeight <= 0) return;
    // Only this context's own back buffer says anything about this window.
    if (glXGetCurrentDrawable() != dc->drawable) return;
    if (!usesLayering(window)) {
        updateShapes(dc, false, false);
        leaveAlphaPass(dc);
        return;
    }
    const bool colorKey = (window.layeredFlags & LWA_COLORKEY) && hasShapeExtension();
    const bool alpha = (window.layeredFlags & LWA_ALPHA) && window.alpha != 255;
    const bool compositing = compositorPresent();
    readGlCaps(dc);
    // The pass needs GL 1.4's separate blend functions and blend colour.
    const bool perPixelCapable = dc->argb && dc->glVersion >= 14;
    const bool alphaPass = planTranslucency(colorKey, alpha, false, perPixelCapable, compositing).alphaPass;
    FrameView frame;
    if (colorKey && keyScanNeeded(dc, swapTime, alphaPass)) {
        frame = readBackBuffer(dc);
        const bool keyed = hasKeyPixel(frame.pixels, static_cast<size_t>(frame.width) * frame.height, window.colorKey);
        if (keyed) {
            opaqueRectangles(frame, window.clientWidth, window.clientHeight, window.colorKey,
                             shapeMargin(window.clientWidth, window.clientHeight), dc->shape);
        }
        noteKeyScan(dc, swapTime, keyed);
    }
    const bool keyed = colorKey && dc->keyed;
    const TranslucencyPlan plan = planTranslucency(colorKey, alpha, keyed, perPixelCapable, compositing);
    updateShapes(dc, plan.boundingShape, plan.inputShape);
    if (plan.alphaPass && attributeStacksHaveRoom()) { // a full stack: the frame shows opaque once
        writeAlpha(dc, frame, keyed);
        if (!dc->alphaPassOn) {
            dc->alphaPassOn = true;
            applyOpacity(display, window);
        }
    } else {
        leaveAlphaPass(dc);
    }
}

BOOL SwapBuffers(HDC dc) {
    Display* display = layer().display;
    if (!display || !dc || !dc->drawable || dc->window->destroyed) return FALSE;
    const long long due = swapDueTime(dc);
    applyTranslucency(dc, due);
    waitForSwap(dc, due);
    glXSwapBuffers(display, dc->drawable);
    return TRUE;
}
