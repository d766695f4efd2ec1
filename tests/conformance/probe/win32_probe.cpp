// Records what Win32 tells a program, one line per message or answer, into probe-trace.txt in the working
// directory: class registration, wglGetProcAddress, every message the window procedure and the message loop
// see, what TranslateMessage answers, and PeekMessageA on WM_QUIT. It uses nothing but the boundary header and
// the C and C++ libraries, so the same source runs on our layer and on Windows (or Wine). Escape ends it.
//
// The window procedure keeps system keys from DefWindowProc: there they start Windows' keyboard menu gestures,
// which this window (without a menu) does not take part in.

#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "win32_api.h"

namespace {

// Message numbers as Win32 defines them; named here so the probe builds against any version of the boundary.
struct MessageName {
    UINT id;
    const char* name;
};
constexpr MessageName kMessageNames[] = {
    {0x0001, "WM_CREATE"},
    {0x0002, "WM_DESTROY"},
    {0x0003, "WM_MOVE"},
    {0x0005, "WM_SIZE"},
    {0x0006, "WM_ACTIVATE"},
    {0x0007, "WM_SETFOCUS"},
    {0x0008, "WM_KILLFOCUS"},
    {0x000F, "WM_PAINT"},
    {0x0010, "WM_CLOSE"},
    {0x0012, "WM_QUIT"},
    {0x0014, "WM_ERASEBKGND"},
    {0x0018, "WM_SHOWWINDOW"},
    {0x001C, "WM_ACTIVATEAPP"},
    {0x0020, "WM_SETCURSOR"},
    {0x0021, "WM_MOUSEACTIVATE"},
    {0x0024, "WM_GETMINMAXINFO"},
    {0x0046, "WM_WINDOWPOSCHANGING"},
    {0x0047, "WM_WINDOWPOSCHANGED"},
    {0x007B, "WM_CONTEXTMENU"},
    {0x007F, "WM_GETICON"},
    {0x0081, "WM_NCCREATE"},
    {0x0082, "WM_NCDESTROY"},
    {0x0083, "WM_NCCALCSIZE"},
    {0x0084, "WM_NCHITTEST"},
    {0x0085, "WM_NCPAINT"},
    {0x0086, "WM_NCACTIVATE"},
    {0x00A0, "WM_NCMOUSEMOVE"},
    {0x0100, "WM_KEYDOWN"},
    {0x0101, "WM_KEYUP"},
    {0x0102, "WM_CHAR"},
    {0x0104, "WM_SYSKEYDOWN"},
    {0x0105, "WM_SYSKEYUP"},
    {0x0106, "WM_SYSCHAR"},
    {0x0111, "WM_COMMAND"},
    {0x0112, "WM_SYSCOMMAND"},
    {0x0200, "WM_MOUSEMOVE"},
    {0x0201, "WM_LBUTTONDOWN"},
    {0x0202, "WM_LBUTTONUP"},
    {0x0203, "WM_LBUTTONDBLCLK"},
    {0x0204, "WM_RBUTTONDOWN"},
    {0x0205, "WM_RBUTTONUP"},
    {0x0207, "WM_MBUTTONDOWN"},
    {0x0208, "WM_MBUTTONUP"},
    {0x020A, "WM_MOUSEWHEEL"},
    {0x020E, "WM_MOUSEHWHEEL"},
    {0x0281, "WM_IME_SETCONTEXT"},
    {0x0282, "WM_IME_NOTIFY"},
    {0x0285, "WM_IME_REQUEST"},
    {0x02A3, "WM_MOUSELEAVE"},
    {0x030F, "WM_QUERYNEWPALETTE"},
    {0x0311, "WM_PALETTECHANGED"},
};
constexpr UINT kKeyFirst = 0x0100;
constexpr UINT kKeyLast = 0x0109;
constexpr UINT kMouseWheel = 0x020A;
constexpr UINT kMouseHWheel = 0x020E;
constexpr UINT kEscape = 0x1B;
constexpr UINT kQuit = 0x0012;

constexpr char kClassName[] = "Tessivar Probe Class";
constexpr char kTitle[] = "Tessivar Win32 probe";
constexpr int kClientWidth = 300;
constexpr int kClientHeight = 200;

FILE* trace = nullptr;

void line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void line(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(trace, format, arguments);
    va_end(arguments);
    std::fputc('\n', trace);
    std::fflush(trace); // the driver reads the trace while the probe runs
}

// The cursor's screen position when the message being handled was posted (its MSG.pt).
POINT lastPoint = {-1, -1};

// Messages whose lParam points at a structure: the address means nothing from run to run.
bool lParamIsPointer(UINT message) {
    switch (message) {
    case 0x0001: // WM_CREATE
    case 0x0024: // WM_GETMINMAXINFO
    case 0x0046: // WM_WINDOWPOSCHANGING
    case 0x0047: // WM_WINDOWPOSCHANGED
    case 0x0081: // WM_NCCREATE
    case 0x0083: // WM_NCCALCSIZE
        return true;
    default:
        return false;
    }
}

void messageLine(const char* where, UINT message, WPARAM wParam, LPARAM lParam, const char* note) {
    const char* name = nullptr;
    for (const MessageName& known : kMessageNames)
        if (known.id == message) name = known.name;
    char unknown[16];
    if (!name) {
        std::snprintf(unknown, sizeof unknown, "0x%04X", message);
        name = unknown;
    }
    char value[32];
    if (lParamIsPointer(message)) {
        std::snprintf(value, sizeof value, "%s", lParam ? "pointer" : "null");
    } else if ((message == kMouseWheel || message == kMouseHWheel) &&
               LOWORD(lParam) == static_cast<WORD>(lastPoint.x) && HIWORD(lParam) == static_cast<WORD>(lastPoint.y)) {
        // The wheel's lParam is the cursor on the screen, which depends on where the window is.
        std::snprintf(value, sizeof value, "cursor");
    } else {
        std::snprintf(value, sizeof value, "0x%llX", static_cast<unsigned long long>(static_cast<uint32_t>(lParam)));
    }
    line("%s %s wParam=0x%llX lParam=%s%s", where, name, static_cast<unsigned long long>(wParam), value, note);
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    messageLine("proc", message, wParam, lParam, "");
    switch (message) {
    case 0x0002: // WM_DESTROY
        PostQuitMessage(7);
        return 0;
    case 0x0100: // WM_KEYDOWN
        if (wParam == kEscape) DestroyWindow(window);
        return 0;
    case 0x0104: // WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR: see the top of the file
    case 0x0105:
    case 0x0106:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void probeProcAddresses(const char* when) {
    // OpenGL 1.1 (opengl32 exports those), later core and extension functions, names that exist nowhere.
    const char* names[] = {"glClear",
                           "glBegin",
                           "glActiveTexture",
                           "glGenBuffers",
                           "glBlendEquation",
                           "wglSwapIntervalEXT",
                           "glNoSuchFunctionAnywhere",
                           "wglNoSuchExtensionAnywhere",
                           ""};
    for (const char* name : names)
        line("wglGetProcAddress %s \"%s\" %s", when, name, wglGetProcAddress(name) ? "found" : "NULL");
}

HGLRC makeCurrentContext(HDC dc) {
    PIXELFORMATDESCRIPTOR request = {};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 24;
    request.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &request);
    if (!format || !SetPixelFormat(dc, format, &request)) return nullptr;
    HGLRC context = wglCreateContext(dc);
    if (context && !wglMakeCurrent(dc, context)) {
        wglDeleteContext(context);
        return nullptr;
    }
    return context;
}

// The message loop as the program runs it, recording each message it takes with what translation answers.
int runMessageLoop() {
    MSG msg;
    for (;;) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        if (msg.message == kQuit) {
            messageLine("peek", msg.message, msg.wParam, msg.lParam, "");
            return static_cast<int>(msg.wParam);
        }
        lastPoint = msg.pt;
        messageLine("peek", msg.message, msg.wParam, msg.lParam,
                    TranslateMessage(&msg) ? " translated=nonzero" : " translated=0");
        DispatchMessageA(&msg);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    trace = std::fopen("probe-trace.txt", "w");
    if (!trace) return 1;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = probeProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    line("RegisterClassA \"%s\" %s", kClassName, RegisterClassA(&windowClass) ? "registered" : "refused");
    windowClass.lpszClassName = "TESSIVAR PROBE CLASS";
    line("RegisterClassA again in capitals %s", RegisterClassA(&windowClass) ? "registered" : "refused");
    probeProcAddresses("without a context");

    RECT r;
    SetRect(&r, 0, 0, kClientWidth, kClientHeight);
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    // The class by another case of its name.
    HWND window = CreateWindowExA(0, "tessivar probe class", kTitle, WS_OVERLAPPEDWINDOW, 100, 100, r.right - r.left,
                                  r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    line("CreateWindowExA %s", window ? "made the window" : "failed");
    if (!window) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    HDC dc = GetDC(window);
    HGLRC context = makeCurrentContext(dc);
    line("GL context %s", context ? "current" : "missing");
    probeProcAddresses("with a context");
    line("ready");

    const int code = runMessageLoop();
    line("WM_QUIT code %d", code);

    // WM_QUIT comes whatever the filters ask for, and only once.
    PostQuitMessage(9);
    MSG msg = {};
    BOOL got = PeekMessageA(&msg, nullptr, kKeyFirst, kKeyLast, PM_NOREMOVE);
    line("PeekMessageA keys only, kept: %d message 0x%04X wParam %d", got, got ? msg.message : 0,
         got ? static_cast<int>(msg.wParam) : 0);
    got = PeekMessageA(&msg, nullptr, kKeyFirst, kKeyLast, PM_REMOVE);
    line("PeekMessageA keys only, removed: %d message 0x%04X wParam %d", got, got ? msg.message : 0,
         got ? static_cast<int>(msg.wParam) : 0);
    got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    line("PeekMessageA after that: %d", got && msg.message == kQuit);

    if (context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
    }
    line("done");
    std::fclose(trace);
    return 0;
}
