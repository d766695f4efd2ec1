// A small layered program for the translucency tests: the gauge's window attributes (key pure blue,
// opacity 150) over a picture with a known key area, drawn continuously through the layer as the
// gauge is. Prints "click X Y" for every left click it receives.
//
// Picture (window coordinates, y down, 200 x 200): black, a pure-blue square from (60, 60) to
// (140, 140), a red square from (10, 10) to (40, 40).

#include <cstdio>

#include "format_request.h"
#include "win32_api.h"

#include <GL/gl.h>

namespace {

constexpr int kSide = 200;
constexpr char kTitle[] = "keyed window";
HDC dc = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        std::printf("click %d %d\n", static_cast<int>(LOWORD(lParam)), static_cast<int>(HIWORD(lParam)));
        std::fflush(stdout);
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A rectangle in window coordinates, filled through the scissor.
void fill(int left, int top, int right, int bottom, float r, float g, float b) {
    glScissor(left, kSide - bottom, right - left, bottom - top);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void drawFrame() {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    fill(60, 60, 140, 140, 0.0f, 0.0f, 1.0f);
    fill(10, 10, 40, 40, 1.0f, 0.0f, 0.0f);
    SwapBuffers(dc);
}

bool setUpGl(HWND window) {
    dc = GetDC(window);
    const PIXELFORMATDESCRIPTOR request = gaugeFormatRequest();
    const int format = ChoosePixelFormat(dc, &request);
    if (!format || !SetPixelFormat(dc, format, &request)) return false;
    if (!wglMakeCurrent(dc, wglCreateContext(dc))) return false;
    typedef int(GAUGE_STDCALL * SwapInterval)(int);
    auto swapInterval =
        reinterpret_cast<SwapInterval>(reinterpret_cast<void (*)()>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (swapInterval) swapInterval(1);
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTitle;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_LAYERED, kTitle, kTitle, WS_OVERLAPPEDWINDOW, 100, 100, kSide, kSide, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    SetLayeredWindowAttributes(window, 0x00FF0000, 150, LWA_COLORKEY | LWA_ALPHA);
    if (!setUpGl(window)) return 1;
    ShowWindow(window, SW_SHOW);
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        drawFrame();
    }
}
