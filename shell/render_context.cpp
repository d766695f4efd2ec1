// The rendering context of the main window.

#include "render_context.h"

#include <GL/glew.h>

#include <cstdlib>

#include "angle_gauge.h"
#include "gauge_setup.h"
#include "seams.h"

namespace {

// What a failed step of context creation tells the user.
struct ContextFailure {
    const char* text;
    const char* caption;
};
constexpr ContextFailure kNoDeviceContext = {"Error Obtaining DC", "hDC"};
constexpr ContextFailure kNoPixelFormat = {"Error Pixel Format", "SetDCPixelFormat"};
constexpr ContextFailure kNoContext = {"Error Creating RC", "wglCreateContext"};
constexpr ContextFailure kNotCurrent = {"Error making RC Current", "wglMakeCurrent"};

// Double-buffered RGBA, 32 colour bits, 16 depth bits, nothing else.
PIXELFORMATDESCRIPTOR pixelFormatRequest() {
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = 16;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

[[noreturn]] void fail(HWND window, const ContextFailure& failure) {
    MessageBoxA(window, failure.text, failure.caption, MB_OK);
    std::exit(1);
}

void createContext(HWND window) {
    gauge.hdc = GetDC(window);
    if (!gauge.hdc) fail(window, kNoDeviceContext);
    const PIXELFORMATDESCRIPTOR request = pixelFormatRequest();
    const int format = ChoosePixelFormat(gauge.hdc, &request);
    if (format == 0 || !SetPixelFormat(gauge.hdc, format, &request)) fail(window, kNoPixelFormat);
    gauge.glContext = wglCreateContext(gauge.hdc);
    if (!gauge.glContext) fail(window, kNoContext);
    if (!wglMakeCurrent(gauge.hdc, gauge.glContext)) fail(window, kNotCurrent);
    gauge.palette = createPalette(gauge.hdc);
}

SwapIntervalProc lookUpSwapInterval() {
    const PROC address = wglGetProcAddress("wglSwapIntervalEXT");
    // Through void(*)() so the compiler accepts the change of signature.
    return reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void (*)()>(address));
}

void realizePalette() {
    SelectPalette(gauge.hdc, gauge.palette, FALSE);
    RealizePalette(gauge.hdc);
}

} // namespace

void setupRenderContext(HWND window) {
    gauge.window = window;
    createContext(window);
    setFixedGlState();
    swapIntervalProc = lookUpSwapInterval();
    // NOTE: drivers without swap control (Mesa under Xvfb) give no function; frames are then unpaced.
    if (swapIntervalProc) swapIntervalProc(1);
}

// Only extension entry points: the fixed pipeline of the frames needs none of them.
void loadGlExtensions() { glewInit(); }

HPALETTE createPalette(HDC dc) {
    PIXELFORMATDESCRIPTOR format = {};
    DescribePixelFormat(dc, GetPixelFormat(dc), sizeof(PIXELFORMATDESCRIPTOR), &format);
    if (!(format.dwFlags & PFD_NEED_PALETTE)) return nullptr;
    const unsigned n = paletteSize(format);
    if (n == 0) return nullptr;

    LOGPALETTE* entries = static_cast<LOGPALETTE*>(std::malloc(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY)));
    if (!entries) return nullptr;
    entries->palVersion = 0x300;
    entries->palNumEntries = static_cast<WORD>(n);
    for (unsigned i = 0; i < n; ++i) entries->palPalEntry[i] = paletteEntry(i, format);

    HPALETTE palette = CreatePalette(entries);
    SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    std::free(entries);
    return palette;
}

void onPaletteMessage(UINT message, WPARAM wParam) {
    if (!gauge.palette) return;
    if (message == WM_QUERYNEWPALETTE) {
        realizePalette();
        InvalidateRect(gauge.window, nullptr, FALSE);
    } else if (message == WM_PALETTECHANGED && reinterpret_cast<HWND>(wParam) != gauge.window) {
        realizePalette();
        UpdateColors(gauge.hdc);
    }
}

void teardownRenderContext() {
    ReleaseDC(gauge.window, gauge.hdc);
    wglMakeCurrent(gauge.hdc, nullptr);
    wglDeleteContext(gauge.glContext);
    if (gauge.palette) DeleteObject(gauge.palette);
}

void swapFrameBuffers(HDC dc) { SwapBuffers(dc); }
