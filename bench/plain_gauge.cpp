// plain_gauge: the gauge's frame drawn by our own render code in a bare Xlib + GLX program, with
// none of the Win32 layer: no colour key, no message queue, no opacity, no GLEW. It is the yardstick
// that translucency_bench and startup_bench measure the program against, so it does exactly what the
// program's frame needs and nothing more: its six fonts are made by FTGL straight from the face's
// path (plain_gauge [face-file]; fontconfig's usual match for Arial when none is given), without the
// program's label set-up or fontconfig. Escape or closing the window quits; V switches vertical sync
// (paced by a sleep where GLX lists no swap control).

#include <FTGL/ftgl.h>
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

#include "angle_gauge.h"
#include "swap_control.h"
#include "gauge_setup.h"
#include "scene_pass.h"
#include "seams.h"

AngleGauge gauge;

namespace {

constexpr int kSize = 600;
constexpr int kPosition = 50; // where the program places its window too
constexpr char kTitle[] = "Tessivar plain yardstick";
constexpr unsigned kVirtualKeyV = 0x56;
constexpr char kDefaultFace[] = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

Display* display = nullptr;
GLXWindow drawable = 0;

// The GLX functions behind the core's swap-interval switch; only the listed one is ever looked up,
// because Mesa without swap control (Xvfb) can end the program with an X error when called anyway.
PFNGLXSWAPINTERVALEXTPROC swapExt = nullptr;
PFNGLXSWAPINTERVALMESAPROC swapMesa = nullptr;
PFNGLXSWAPINTERVALSGIPROC swapSgi = nullptr;

template <typename Function>
Function glxFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

int GAUGE_STDCALL swapIntervalExt(int interval) {
    swapExt(display, drawable, interval);
    return 1;
}
int GAUGE_STDCALL swapIntervalMesa(int interval) {
    return interval >= 0 && swapMesa(static_cast<unsigned>(interval)) == 0;
}
// NOTE: GLX_SGI_swap_control rejects 0, so there V can only ever switch sync on.
int GAUGE_STDCALL swapIntervalSgi(int interval) { return swapSgi(interval) == 0; }

SwapIntervalProc listedSwapInterval() {
    switch (pickSwapControl(glXQueryExtensionsString(display, DefaultScreen(display)))) {
    case SwapControl::Ext:
        swapExt = glxFunction<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT");
        return swapExt ? swapIntervalExt : nullptr;
    case SwapControl::Mesa:
        swapMesa = glxFunction<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA");
        return swapMesa ? swapIntervalMesa : nullptr;
    case SwapControl::Sgi:
        swapSgi = glxFunction<PFNGLXSWAPINTERVALSGIPROC>("glXSwapIntervalSGI");
        return swapSgi ? swapIntervalSgi : nullptr;
    case SwapControl::Missing:
        break;
    }
    return nullptr;
}

// Double-buffered RGBA with 16 depth bits whose visual has the screen's depth: a 32-bit visual
// would be a second, alpha-carrying kind of window, which the program's window is not.
GLXFBConfig chooseConfig() {
    const int attributes[] = {GLX_X_RENDERABLE,
                              True,
                              GLX_DRAWABLE_TYPE,
                              GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_DOUBLEBUFFER,
                              True,
                              GLX_RED_SIZE,
                              8,
                              GLX_GREEN_SIZE,
                              8,
                              GLX_BLUE_SIZE,
                              8,
                              GLX_DEPTH_SIZE,
                              16,
                              None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    if (!configs) return nullptr;
    GLXFBConfig chosen = nullptr;
    for (int i = 0; i < count && !chosen; ++i) {
        XVisualInfo* visual = glXGetVisualFromFBConfig(display, configs[i]);
        if (visual && visual->depth == DefaultDepth(display, DefaultScreen(display))) chosen = configs[i];
        if (visual) XFree(visual);
    }
    XFree(configs);
    return chosen;
}

Window createWindow(GLXFBConfig config) {
    XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
    if (!visual) return 0;
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    attributes.border_pixel = 0;
    attributes.background_pixmap = None; // GL draws every pixel, as in the program's window
    attributes.event_mask = KeyPressMask | StructureNotifyMask;
    const Window window =
        XCreateWindow(display, root, kPosition, kPosition, kSize, kSize, 0, visual->depth, InputOutput, visual->visual,
                      CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
    XFree(visual);
    XStoreName(display, window, kTitle);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(kTitle), static_cast<int>(std::strlen(kTitle)));
    return window;
}

// False once the window is to close.
bool handleEvent(const XEvent& event, Atom deleteWindow) {
    switch (event.type) {
    case KeyPress: {
        XKeyEvent key = event.xkey;
        const KeySym symbol = XLookupKeysym(&key, 0);
        if (symbol == XK_Escape) return false;
        if (symbol == XK_v) onKey(gauge, kVirtualKeyV);
        break;
    }
    case ClientMessage:
        if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) return false;
        break;
    case ConfigureNotify:
        if (event.xconfigure.width != static_cast<int>(gauge.width) ||
            event.xconfigure.height != static_cast<int>(gauge.height))
            onResize(gauge, static_cast<float>(event.xconfigure.width), static_cast<float>(event.xconfigure.height));
        break;
    default:
        break;
    }
    return true;
}

// The program's three labels, made the plain way.
void createLabels(const char* face) {
    for (const LabelLook& look : kGaugeLabelLooks) {
        TextLabel& label = gauge.*look.label;
        label.fillFont = new FTPolygonFont(face);
        label.outlineFont = new FTOutlineFont(face);
        if (label.fillFont->Error() || label.outlineFont->Error()) continue;
        label.outlineFont->Outset(0.1f);
        label.fillFont->FaceSize(static_cast<unsigned>(look.size), 72);
        label.outlineFont->FaceSize(static_cast<unsigned>(look.size), 72);
        label.faceSize = look.size;
        label.align = look.alignment;
        setFillColour(label, look);
        label.ready = true;
    }
}

long long monotonicNs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Where GLX lists no swap control, vertical sync is kept by waiting before each swap, one refresh
// (60 Hz: Xvfb reports no rate) after the last, as the program does there; otherwise standing still
// would measure frames the display never shows.
void paceWithoutSwapControl() {
    static long long lastSwap = 0;
    const long long now = monotonicNs();
    const int interval = gauge.vsyncOn && !swapIntervalProc ? 1 : 0;
    const long long due = nextSwapTime(lastSwap, now, refreshPeriodNs(0.0), interval);
    if (due > now) {
        const timespec until = {static_cast<time_t>(due / 1000000000LL), static_cast<long>(due % 1000000000LL)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
    }
    lastSwap = std::max(due, now);
}

} // namespace

// The render code's hook: this program has one drawable and no device context.
void swapFrameBuffers(HDC) {
    paceWithoutSwapControl();
    glXSwapBuffers(display, drawable);
}

// The render code's label loader is never called here: the labels above are made without it.
const char* fallbackFaceFile() { return nullptr; }
int openFaceForReading(const char*) { return -1; }

int main(int argc, char** argv) {
    // Labels and pulse before the window, in the order the program's application object has them.
    createLabels(argc > 1 ? argv[1] : kDefaultFace);
    std::thread(pulseMain, &gauge).detach(); // runs until the process ends, as in the program

    display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "plain_gauge: cannot open the X display\n");
        return 1;
    }
    const GLXFBConfig config = chooseConfig();
    const Window window = config ? createWindow(config) : 0;
    if (!window) {
        std::fprintf(stderr, "plain_gauge: no double-buffered RGBA GLX config with a depth buffer\n");
        return 1;
    }
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    drawable = glXCreateWindow(display, config, window, nullptr);
    const GLXContext context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    if (!context || !glXMakeContextCurrent(display, drawable, drawable, context)) {
        std::fprintf(stderr, "plain_gauge: cannot make a GLX context current\n");
        return 1;
    }
    setFixedGlState();
    swapIntervalProc = listedSwapInterval();
    if (swapIntervalProc) swapIntervalProc(1); // sync starts on, as in the program
    onResize(gauge, kSize, kSize);
    XMapWindow(display, window);

    for (bool running = true; running;) {
        while (running && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            running = handleEvent(event, deleteWindow);
        }
        if (running) renderFrame(gauge);
    }

    glXMakeContextCurrent(display, None, None, nullptr);
    glXDestroyContext(display, context);
    glXDestroyWindow(display, drawable);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    releaseGaugeLabels(gauge);
    return 0;
}
