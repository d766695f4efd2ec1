// Prints what the colour key costs per frame: the back-buffer readback and the run/rectangle
// pass of SwapBuffers for a 600x600 layered window, and under a compositing manager the per-pixel
// alpha pass as well. Run under an X server (Xvfb will do).

#include <chrono>
#include <cmath>
#include <cstdio>

#include "layer.h"

namespace {

constexpr int kSize = 600;
constexpr int kFrames = 200;

LRESULT CALLBACK benchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeLayeredWindow() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = benchProc;
    windowClass.lpszClassName = "color key bench";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_LAYERED, "color key bench", "color key bench", WS_OVERLAPPEDWINDOW, 0, 0, kSize,
                                  kSize, nullptr, nullptr, nullptr, nullptr);
    if (!window) return nullptr;
    SetLayeredWindowAttributes(window, 0x00FF0000, 150, LWA_COLORKEY | LWA_ALPHA);
    ShowWindow(window, SW_SHOW);
    return window;
}

bool makeCurrentContext(HDC dc) {
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof(request);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.cColorBits = 32;
    request.cDepthBits = 16;
    const int format = ChoosePixelFormat(dc, &request);
    return format && SetPixelFormat(dc, format, &request) && wglMakeCurrent(dc, wglCreateContext(dc));
}

// A key-blue background with a white disc whose radius varies, so the mask can change.
void drawFrame(int radius) {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kSize, 0, kSize, -1, 1);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(300, 300);
    for (int i = 0; i <= 64; ++i) {
        const double a = i * 2 * M_PI / 64;
        glVertex2d(300 + radius * std::cos(a), 300 + radius * std::sin(a));
    }
    glEnd();
    glFinish();
}

// Milliseconds per frame of the colour-key step alone, the frame drawn and finished beforehand.
double colorKeyMilliseconds(HDC dc, bool changingMask) {
    static long long swapTime = 0;
    double total = 0;
    for (int i = 0; i < kFrames; ++i) {
        drawFrame(changingMask ? 100 + i % 50 : 150);
        const auto start = std::chrono::steady_clock::now();
        swapTime += 1000000000LL; // frames a second apart: every one is scanned
        applyTranslucency(dc, swapTime);
        total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        glXSwapBuffers(layer().display, dc->drawable);
    }
    return total / kFrames;
}

double rectanglesMilliseconds(const HDC__& dc) {
    const auto start = std::chrono::steady_clock::now();
    size_t count = 0;
    std::vector<MaskRect> rects;
    for (int i = 0; i < kFrames; ++i) {
        opaqueRectangles({dc.translucency.frame.data(), kSize, kSize}, kSize, kSize, 0x00FF0000, 0, rects);
        count += rects.size();
    }
    const double total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("  (%zu rectangles a frame)\n", count / kFrames);
    return total / kFrames;
}

} // namespace

int main() {
    HWND window = makeLayeredWindow();
    if (!window) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    HDC dc = GetDC(window);
    if (!dc || !makeCurrentContext(dc)) {
        std::fprintf(stderr, "no GL context on this display\n");
        return 1;
    }
    std::printf("colour key, %dx%d, %d frames (%s)\n", kSize, kSize, kFrames,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    // Under a compositor the window has a 32-bit visual and every frame also gets the alpha pass.
    colorKeyMilliseconds(dc, false); // settles the path: the first frames set the shapes
    std::printf("path: %s\n", dc->translucency.alphaPassOn
                                  ? "per-pixel alpha (a compositor runs): readback, mask and alpha pass"
                                  : "shapes (no compositor): readback and mask");
    std::printf("readback + mask, mask unchanged: %.3f ms/frame\n", colorKeyMilliseconds(dc, false));
    std::printf("readback + mask + shape, mask changing: %.3f ms/frame\n", colorKeyMilliseconds(dc, true));
    std::printf("rectangles alone: %.3f ms/frame\n", rectanglesMilliseconds(*dc));
    DestroyWindow(window);
    return 0;
}
