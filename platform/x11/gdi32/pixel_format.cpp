// Pixel formats of a device context: GLX framebuffer configs numbered from 1.

#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "layer.h"

namespace {

bool hasGlx(Display* display) {
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) return false;
    int major = 0;
    int minor = 0;
    // Framebuffer configs arrived with GLX 1.3.
    return glXQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 3));
}

int attribute(Display* display, GLXFBConfig config, int name) {
    int value = 0;
    glXGetFBConfigAttrib(display, config, name, &value);
    return value;
}

// The configs that can draw RGBA into a window with an X visual, in the display's own order. GLX
// filters them itself: asking each config for its attributes costs about a microsecond a question.
std::vector<GLXFBConfig> windowConfigs(Display* display) {
    const int screen = DefaultScreen(display);
    const int wanted[] = {
        GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_X_RENDERABLE, True, None};
    int chosenCount = 0;
    GLXFBConfig* chosen = glXChooseFBConfig(display, screen, wanted, &chosenCount);
    const std::unordered_set<GLXFBConfig> matching(chosen, chosen + std::max(chosenCount, 0));
    if (chosen) XFree(chosen);
    int count = 0;
    GLXFBConfig* all = glXGetFBConfigs(display, screen, &count);
    std::vector<GLXFBConfig> configs;
    for (int i = 0; i < count; ++i) {
        // NOTE: Win32 lists no multisampled formats through DescribePixelFormat (only WGL_ARB_pixel_format
        // reaches them), so neither does the layer.
        if (matching.count(all[i]) && attribute(display, all[i], GLX_SAMPLE_BUFFERS) == 0) configs.push_back(all[i]);
    }
    if (all) XFree(all);
    return configs;
}

FormatTraits traitsOf(Display* display, GLXFBConfig config, const XVisualInfo& visual) {
    FormatTraits t;
    t.visualClass = visual.c_class;
    t.depth = visual.depth;
    t.redMask = visual.red_mask;
    t.greenMask = visual.green_mask;
    t.blueMask = visual.blue_mask;
    t.redSize = attribute(display, config, GLX_RED_SIZE);
    t.greenSize = attribute(display, config, GLX_GREEN_SIZE);
    t.blueSize = attribute(display, config, GLX_BLUE_SIZE);
    t.alphaSize = attribute(display, config, GLX_ALPHA_SIZE);
    t.depthSize = attribute(display, config, GLX_DEPTH_SIZE);
    t.stencilSize = attribute(display, config, GLX_STENCIL_SIZE);
    t.accumRedSize = attribute(display, config, GLX_ACCUM_RED_SIZE);
    t.accumGreenSize = attribute(display, config, GLX_ACCUM_GREEN_SIZE);
    t.accumBlueSize = attribute(display, config, GLX_ACCUM_BLUE_SIZE);
    t.accumAlphaSize = attribute(display, config, GLX_ACCUM_ALPHA_SIZE);
    t.auxBuffers = attribute(display, config, GLX_AUX_BUFFERS);
    t.doubleBuffer = attribute(display, config, GLX_DOUBLEBUFFER) != 0;
    t.stereo = attribute(display, config, GLX_STEREO) != 0;
    return t;
}

std::vector<PIXELFORMATDESCRIPTOR> descriptorsOf(const std::vector<PixelFormat>& formats) {
    std::vector<PIXELFORMATDESCRIPTOR> descriptors;
    descriptors.reserve(formats.size());
    for (const PixelFormat& format : formats) descriptors.push_back(describePixelFormat(format.traits));
    return descriptors;
}

bool validFormat(const std::vector<PixelFormat>& formats, int format) {
    return format >= 1 && format <= static_cast<int>(formats.size());
}

std::vector<PixelFormat> readPixelFormats(Display* display) {
    std::vector<PixelFormat> formats;
    if (!display || !hasGlx(display)) return formats;
    for (GLXFBConfig config : windowConfigs(display)) {
        XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
        if (!visual) continue;
        formats.push_back({config, traitsOf(display, config, *visual)});
        XFree(visual);
    }
    return formats;
}

} // namespace

// NOTE: a display's configs do not change while it is open, and reading them costs milliseconds.
const std::vector<PixelFormat>& pixelFormats() {
    LayerState& state = layer();
    if (!state.pixelFormatsRead) {
        state.pixelFormats = readPixelFormats(state.display);
        state.pixelFormatsRead = true;
    }
    return state.pixelFormats;
}

namespace {

std::vector<int> visualDepthsOf(const std::vector<PixelFormat>& formats) {
    std::vector<int> depths;
    depths.reserve(formats.size());
    for (const PixelFormat& format : formats) depths.push_back(format.traits.depth);
    return depths;
}

bool isLayered(const HWND__& window) {
    return (window.exStyle & WS_EX_LAYERED) && (window.layeredFlags & (LWA_COLORKEY | LWA_ALPHA));
}

// What the layer wants of the format beyond the request (see FormatPreference).
FormatPreference layerPreference(const HWND__* window) {
    FormatPreference preference;
    // NOTE: measured on Mesa's llvmpipe, a frame with a 32-bit depth buffer costs less CPU than with a
    // 24-bit one, and that less than with a 16-bit one; Win32 drivers commonly give more depth than a
    // request of 16 anyway. Where no 32-bit buffer exists the nearest size is taken.
    preference.depthBits = 32;
    if (!window || !isLayered(*window)) return preference;
    // A layered window's frame is read back every frame: with alpha in the buffer that is a plain copy.
    preference.alpha = true;
    // Per-pixel alpha needs the window remade on a 32-bit visual, possible only before it is shown.
    const bool canRemake = !(window->style & WS_VISIBLE);
    preference.visualDepth = canRemake && wantsPerPixelAlpha(*window) ? 32 : window->depth;
    return preference;
}

bool hasAlphaVisual(const PixelFormat& format) { return format.traits.depth == 32 && format.traits.alphaSize > 0; }

// Puts the window on the format's visual where per-pixel alpha wants that and the window allows it.
void matchWindowVisual(HDC__* dc, const PixelFormat& format) {
    HWND__* window = dc->window;
    if (!hasAlphaVisual(format) || window->depth == 32 || !isLayered(*window)) return;
    Display* display = layer().display;
    XVisualInfo* visual = glXGetVisualFromFBConfig(display, format.config);
    if (!visual) return;
    const Colormap colormap = XCreateColormap(display, RootWindow(display, visual->screen), visual->visual, AllocNone);
    if (!moveWindowToVisual(window, *visual, colormap)) XFreeColormap(display, colormap);
    XFree(visual);
}

} // namespace

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request) {
    if (!dc || !request) return 0;
    const std::vector<PixelFormat>& formats = pixelFormats();
    return closestPixelFormat(descriptorsOf(formats), *request, layerPreference(dc->window), visualDepthsOf(formats));
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (!dc) return FALSE;
    // As on Win32, a window's format is set once for good.
    if (dc->format != 0) return dc->format == format;
    const std::vector<PixelFormat>& formats = pixelFormats();
    if (!validFormat(formats, format)) return FALSE;
    const PixelFormat& chosen = formats[format - 1];
    matchWindowVisual(dc, chosen);
    if (!createWindowSurface(dc, chosen)) return FALSE;
    dc->format = format;
    dc->config = chosen.config;
    dc->argb = hasAlphaVisual(chosen) && dc->window->depth == 32;
    return TRUE;
}

int GetPixelFormat(HDC dc) { return dc ? dc->format : 0; }

int DescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR descriptor) {
    if (!dc) return 0;
    const std::vector<PixelFormat>& formats = pixelFormats();
    if (!descriptor) return static_cast<int>(formats.size());
    if (!validFormat(formats, format)) return 0;
    const PIXELFORMATDESCRIPTOR described = describePixelFormat(formats[format - 1].traits);
    std::memcpy(descriptor, &described, std::min<size_t>(size, sizeof(described)));
    return static_cast<int>(formats.size());
}
