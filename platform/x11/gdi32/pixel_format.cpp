// Pixel formats of a device context: GLX framebuffer configs numbered from 1.

#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
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

using ConfigSet = std::unordered_set<GLXFBConfig>;

// The configs that can draw RGBA into a window with an X visual and also meet `extra` (GLX attribute
// and value pairs). GLX filters them itself, without a request to the server or a lookup per config.
ConfigSet windowConfigsWith(Display* display, std::initializer_list<int> extra = {}) {
    std::vector<int> criteria = {GLX_RENDER_TYPE, GLX_RGBA_BIT,     GLX_DRAWABLE_TYPE,
                                 GLX_WINDOW_BIT,  GLX_X_RENDERABLE, True};
    criteria.insert(criteria.end(), extra);
    criteria.push_back(None);
    int count = 0;
    GLXFBConfig* chosen = glXChooseFBConfig(display, DefaultScreen(display), criteria.data(), &count);
    ConfigSet configs(chosen, chosen + std::max(count, 0));
    if (chosen) XFree(chosen);
    return configs;
}

// The formats to list, in the display's own order.
std::vector<GLXFBConfig> windowConfigs(Display* display) {
    const ConfigSet matching = windowConfigsWith(display);
    // NOTE: Win32 lists no multisampled formats through DescribePixelFormat (only WGL_ARB_pixel_format
    // reaches them), so neither does the layer. GLX takes sample buffers as a minimum.
    const ConfigSet multisampled = windowConfigsWith(display, {GLX_SAMPLE_BUFFERS, 1});
    int count = 0;
    GLXFBConfig* all = glXGetFBConfigs(display, DefaultScreen(display), &count);
    std::vector<GLXFBConfig> configs;
    for (int i = 0; i < count; ++i)
        if (matching.count(all[i]) && !multisampled.count(all[i])) configs.push_back(all[i]);
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

bool validFormat(const std::vector<PixelFormat>& formats, int format) {
    return format >= 1 && format <= static_cast<int>(formats.size());
}

std::vector<PixelFormat> listPixelFormats(Display* display) {
    std::vector<PixelFormat> formats;
    if (!display || !hasGlx(display)) return formats;
    for (GLXFBConfig config : windowConfigs(display)) formats.push_back({config, false, {}});
    return formats;
}

} // namespace

// NOTE: a display's configs do not change while it is open, and listing them costs milliseconds.
std::vector<PixelFormat>& pixelFormats() {
    LayerState& state = layer();
    if (!state.pixelFormatsRead) {
        state.pixelFormats = listPixelFormats(state.display);
        state.pixelFormatsRead = true;
    }
    return state.pixelFormats;
}

namespace {

// The traits of a listed format, read on first use. Should GLX give no visual for it after all, it
// describes as a format that fits nothing.
const FormatTraits& formatTraits(PixelFormat& format) {
    if (format.traitsRead) return format.traits;
    format.traitsRead = true;
    Display* display = layer().display;
    XVisualInfo* visual = glXGetVisualFromFBConfig(display, format.config);
    if (!visual) return format.traits;
    format.traits = traitsOf(display, format.config, *visual);
    XFree(visual);
    return format.traits;
}

PIXELFORMATDESCRIPTOR describe(PixelFormat& format) {
    const FormatTraits& traits = formatTraits(format);
    if (traits.depth == 0) return PIXELFORMATDESCRIPTOR{}; // no visual: fits no request
    return describePixelFormat(traits);
}

// The descriptors ChoosePixelFormat compares: those of the formats that can fit the request (GLX
// picks them out: double buffering where asked for), and an empty one, which fits nothing, for the
// rest, whose traits are then never read.
std::vector<PIXELFORMATDESCRIPTOR> candidateDescriptors(std::vector<PixelFormat>& formats,
                                                        const PIXELFORMATDESCRIPTOR& request) {
    Display* display = layer().display;
    const ConfigSet candidates = (request.dwFlags & PFD_DOUBLEBUFFER)
                                     ? windowConfigsWith(display, {GLX_DOUBLEBUFFER, True})
                                     : windowConfigsWith(display);
    std::vector<PIXELFORMATDESCRIPTOR> descriptors;
    descriptors.reserve(formats.size());
    for (PixelFormat& format : formats)
        descriptors.push_back(candidates.count(format.config) ? describe(format) : PIXELFORMATDESCRIPTOR{});
    return descriptors;
}

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
    // Per-pixel alpha needs the window remade on a 32-bit visual, possible only before it is shown. A
    // layered window gets one whether or not a compositor runs now: one may start later, and without
    // one the server shows the colour and ignores the alpha.
    const bool canRemake = !(window->style & WS_VISIBLE);
    preference.visualDepth = canRemake ? 32 : window->depth;
    return preference;
}

bool hasAlphaVisual(PixelFormat& format) {
    const FormatTraits& traits = formatTraits(format);
    return traits.depth == 32 && traits.alphaSize > 0;
}

// Puts the window on the format's visual where per-pixel alpha wants that and the window allows it.
void matchWindowVisual(HDC__* dc, PixelFormat& format) {
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
    std::vector<PixelFormat>& formats = pixelFormats();
    const std::vector<PIXELFORMATDESCRIPTOR> descriptors = candidateDescriptors(formats, *request);
    return closestPixelFormat(descriptors, *request, layerPreference(dc->window), visualDepthsOf(formats));
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (!dc) return FALSE;
    // As on Win32, a window's format is set once for good.
    if (dc->format != 0) return dc->format == format;
    std::vector<PixelFormat>& formats = pixelFormats();
    if (!validFormat(formats, format)) return FALSE;
    PixelFormat& chosen = formats[format - 1];
    matchWindowVisual(dc, chosen);
    if (!createWindowSurface(dc, chosen)) return FALSE;
    dc->format = format;
    dc->config = chosen.config;
    dc->translucency.argb = hasAlphaVisual(chosen) && dc->window->depth == 32;
    return TRUE;
}

int GetPixelFormat(HDC dc) { return dc ? dc->format : 0; }

int DescribePixelFormat(HDC dc, int format, UINT size, LPPIXELFORMATDESCRIPTOR descriptor) {
    if (!dc) return 0;
    std::vector<PixelFormat>& formats = pixelFormats();
    if (!descriptor) return static_cast<int>(formats.size());
    if (!validFormat(formats, format)) return 0;
    const PIXELFORMATDESCRIPTOR described = describe(formats[format - 1]);
    std::memcpy(descriptor, &described, std::min<size_t>(size, sizeof(described)));
    return static_cast<int>(formats.size());
}
