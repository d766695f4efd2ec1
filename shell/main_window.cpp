// The program's entry point, its one window and the window procedure.

#include "angle_gauge.h"
#include "render_context.h"
#include "resource_ids.h"
#include "scene_pass.h"
#include "win32_api.h"

namespace {

HWND mainWindow = nullptr;
HACCEL accelerators = nullptr;

constexpr char kCaption[] = "Tessivar - tessivar.example.org";
constexpr int kClientSize = 600;
constexpr BYTE kOpacity = 150;
constexpr COLORREF kTransparentBlue = 0x00FF0000;

// Pure blue is see-through and the rest of the window is drawn at 150/255.
void makeTranslucent() {
    SetWindowLongA(mainWindow, GWL_EXSTYLE, GetWindowLongA(mainWindow, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(mainWindow, kTransparentBlue, kOpacity, LWA_COLORKEY | LWA_ALPHA);
}

// The first WM_SIZE arrives from SetWindowPos, before the context exists; resizing touches no GL.
void onCreate(HWND window) {
    RECT r;
    SetRect(&r, 0, 0, kClientSize, kClientSize);
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOMOVE);
    mainWindow = window;
    makeTranslucent();
    setupRenderContext(window);
}

bool isMouseMessage(UINT message) { return message >= WM_MOUSEMOVE && message <= WM_RBUTTONUP; }

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        onCreate(window);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        onResize(gauge, static_cast<float>(LOWORD(lParam)), static_cast<float>(HIWORD(lParam)));
        break;
    case WM_KEYDOWN:
        onKey(gauge, static_cast<unsigned>(wParam));
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_EXIT) DestroyWindow(window);
        break;
    default:
        if (isMouseMessage(message)) onMouse(gauge, message, static_cast<uint32_t>(lParam));
        onPaletteMessage(message, wParam);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCE(IDI_TESSIVAR));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kCaption;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, kCaption, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 50, 50, 0, 0,
                           nullptr, nullptr, instance, nullptr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = createMainWindow(instance);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCE(IDR_ACCELERATORS));
    // The first frame comes before anything that can wait; messages queued meanwhile are handled next.
    renderFrame(gauge);
    loadGlExtensions();

    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            if (!TranslateAcceleratorA(window, accelerators, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        } else {
            renderFrame(gauge);
        }
    }
}
