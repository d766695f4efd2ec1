#pragma once
// The X11 layer's one internal header: what the Win32 handles point at, the layer's state, and the
// calls one section of the layer makes into another. The shell never sees this header.

// NOTE: the boundary header defines APIENTRY unconditionally, GL only when undefined: it goes first.
#include "win32_api.h"

#include <X11/Xlib.h>
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <deque>
#include <vector>

#include "event_translate.h"
#include "gdi32/display_facts.h"
#include "gdi32/swap_buffers.h"
#include "gdi32/translucency.h"
#include "key_layout.h"
#include "pixel_format_traits.h"
#include "resource_data.h"

// ---- What the handles point at -------------------------------------------------------------

// A top-level window. The X window is the client area; the window manager frames it.
struct HWND__ {
    Window xwindow = 0;
    WNDPROC proc = nullptr;
    std::string caption;
    LONG style = 0;
    LONG exStyle = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    // Layered attributes as SetLayeredWindowAttributes stored them.
    COLORREF colorKey = 0;
    BYTE alpha = 255;
    DWORD layeredFlags = 0;
    // The window's own device context (CS_OWNDC), made on the first GetDC.
    HDC__* dc = nullptr;
    // The X window's visual and depth: the screen's default, or 32-bit for a layered window (see
    // moveWindowToVisual).
    Visual* visual = nullptr;
    int depth = 0;
    HCURSOR cursor = nullptr; // the class cursor, shown over the window
    HICON icon = nullptr;     // the class icon, put on the X window by showPendingIcons
    bool iconPending = false; // the icon is still to be put on the X window
    // Set by DestroyWindow: the X window is gone (xwindow is 0) but the handle stays readable.
    bool destroyed = false;
};

// A window's own device context. X fixes a window's visual at creation while Win32 sets the
// pixel format afterwards, so SetPixelFormat makes a child window with the format's visual
// over the whole client area; GL draws into that child.
struct HDC__ {
    HWND__* window = nullptr;
    int format = 0; // 0 until SetPixelFormat
    GLXFBConfig config = nullptr;
    Window surface = 0;           // the child window
    GLXWindow drawable = 0;       // GLX's handle on it
    Colormap colormap = 0;        // the child's own colormap
    bool paletteColormap = false; // writable and indexed: RealizePalette stores into it
    int colormapCells = 0;
    HPALETTE selectedPalette = nullptr;
    TranslucencyState translucency; // a layered window's key and opacity (gdi32/translucency.cpp)
    PacingState pacing;             // SwapBuffers' own pacing (gdi32/swap_buffers.cpp)
};

struct HGLRC__ {
    GLXContext context = nullptr;
};

struct HPALETTE__ {
    std::vector<PALETTEENTRY> entries;
};

// An icon group of the resources, or a cursor shape.
struct HICON__ {
    int iconGroup = 0;            // the icon's resource id; its images are decoded when first shown
    unsigned int cursorShape = 0; // an XC_ font-cursor shape; 0 for icons
};

// A loaded accelerator table.
struct HACCEL__ {
    std::vector<ACCEL> entries;
};

// ---- The layer's state ---------------------------------------------------------------------

// Atoms of the window-manager conventions, interned together with the connection.
struct LayerAtoms {
    Atom wmProtocols;
    Atom wmDeleteWindow;
    Atom netWmPing;
    Atom netWmName;
    Atom netWmIcon;
    Atom netWmPid;
    Atom netWmWindowOpacity;
    Atom netWmWindowType;
    Atom netWmWindowTypeDialog;
    Atom utf8String;
};

struct WindowClass {
    ATOM atom;
    WNDPROC proc;
    HICON icon;
    HCURSOR cursor;
};

struct QueuedMessage {
    MSG msg;
    unsigned keycode = 0;  // of a key message: the X key, for TranslateMessage's character
    unsigned keyState = 0; // and the X state mask, for that character and TranslateAcceleratorA's modifiers
};

// One GLX framebuffer config with what Win32 says about it. Asking GLX for one attribute of one config
// costs over a microsecond (Mesa looks the config up in its whole list each time), so the traits are
// read when a format is first described or is a candidate for ChoosePixelFormat.
struct PixelFormat {
    GLXFBConfig config;
    bool traitsRead = false;
    FormatTraits traits; // valid once traitsRead
};

// The GLX function behind the wglSwapIntervalEXT that wglGetProcAddress hands out; at most one is set.
struct SwapIntervalTarget {
    PFNGLXSWAPINTERVALEXTPROC ext = nullptr;
    PFNGLXSWAPINTERVALMESAPROC mesa = nullptr;
    PFNGLXSWAPINTERVALSGIPROC sgi = nullptr;
};

// A thread handle only identifies a started thread: the threads run detached.
struct ThreadHandle {
    unsigned id;
};

// Everything the layer keeps between calls. Created once, by the first call that needs it, together
// with the display connection, and never destroyed: the program releases its device context, GL
// context and palette from an exit handler registered before the first window exists, so whatever
// those calls read must outlive every exit handler. Only the main thread touches it, except
// `threads`, which has its own lock.
struct LayerState {
    Display* display = nullptr;      // the connection; null when none could be opened
    LayerAtoms atoms = {};           // valid while display is non-null
    int trapDepth = 0;               // XErrorTraps alive; errors meanwhile belong to the innermost
    unsigned char trappedError = 0;  // the first error code a trap caught (Success when none)
    bool strayErrorReported = false; // an error outside every trap was described on stderr (the first only)

    // USER32
    std::map<std::string, WindowClass> classes; // RegisterClassA's classes by name
    std::map<Window, HWND__*> windows;          // live windows by X window, for routing events
    std::vector<HWND__*> destroyedWindows;      // handles DestroyWindow kept readable: a stale one fails safely
    std::deque<QueuedMessage> input;            // window messages made from X events, oldest first
    bool quitPosted = false;                    // PostQuitMessage was called and WM_QUIT not yet taken
    int quitCode = 0;                           // its exit code
    std::map<int, HICON__> icons;               // LoadIconA's handles by icon-group id
    std::map<int, HACCEL__> accelerators;       // LoadAcceleratorsA's handles by table id
    std::map<unsigned, Cursor> cursors;         // X font cursors by shape: made once, freed at exit

    // Messages (user32/messages.cpp)
    std::deque<MSG> posted; // messages posted to the queue (TranslateMessage's characters), oldest first
    KeyTranslator keys;     // the keys held, for the key messages made from X events
    QueuedMessage lastKey;  // the key message last taken from the queue, for TranslateMessage and accelerators

    // Keyboard (user32/keyboard.cpp)
    bool keymapWatched = false; // XKB was looked for and, if there, its keymap notifications selected
    int xkbEventBase = -1;      // the XKB extension's event code; -1 without XKB (the core keymap is read)
    bool keyLayoutStale = true; // the server's keymap changed since keyLayout was read, or was never read
    KeyLayout keyLayout;        // the keymap as last read, for turning keycodes into virtual keys

    // GDI32 and WGL
    bool pixelFormatsRead = false;         // pixelFormats holds the display's formats
    std::vector<PixelFormat> pixelFormats; // format n is element n - 1; empty without GLX
    int maxSurfaceExtent = 0;              // GL's largest viewport side, read at the first wglMakeCurrent; 0 before
    DisplayFacts displayFacts;             // Shape, refresh rate, compositor (gdi32/display_facts.cpp)
    std::set<HPALETTE> palettes;           // GDI's handle table for palettes
    bool swapControlResolved = false;      // swapTarget has been looked up
    SwapIntervalTarget swapTarget;         // the GLX swap control behind wglSwapIntervalEXT, if any
    int pacedInterval = 0;                 // set through the layer's own wglSwapIntervalEXT (no GLX one)

    // KERNEL32
    std::mutex threadsLock;          // threads may be started and closed from any thread
    std::set<ThreadHandle*> threads; // open thread handles
    unsigned nextThreadId = 1;       // the id _beginthreadex reports for the next thread
};

// The one state object; the first call opens the display, or takes the one openDisplayEarly opened.
LayerState& layer();

// Starts opening the display, with GLX initialised on it, on a thread of its own, so that it overlaps
// whatever the process does before its first use of the layer. Call it once, from the main thread,
// before anything uses the layer; the layer's first use then waits for that thread and takes the
// connection. The thread touches nothing but that connection, and the connection nothing else until then.
void openDisplayEarly();

// Catches the X errors of the requests made while it lives. Any client may destroy our windows or send
// us events naming windows that no longer exist, so a request that can fail for reasons outside the
// program goes inside a trap and its failure becomes a failed Win32 call instead of Xlib's default
// handler ending the process. Errors outside every trap are never fatal; the first is described on stderr.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    // Waits for the server to answer the requests made so far; true when one of them failed.
    bool failed();

private:
    Display* display_;
    unsigned char outerError_;
};

// The atoms that mark window-manager protocol messages, for the event translators.
ProtocolAtoms protocolAtoms();

// ---- Calls between the sections ------------------------------------------------------------

// Win32 hands out one handle per resource, made on its first load and kept for good: the handle of the
// resource `name` (an integer id) in `loaded`, made by fill(handle, id); null where fill says the
// resource does not exist.
template <typename Handle, typename Fill>
Handle* loadResourceOnce(std::map<int, Handle>& loaded, LPCSTR name, Fill fill) {
    if (!name || !IS_INTRESOURCE(name)) return nullptr;
    const int id = static_cast<int>(reinterpret_cast<UINT_PTR>(name));
    const auto found = loaded.find(id);
    if (found != loaded.end()) return &found->second;
    Handle made;
    if (!fill(made, id)) return nullptr;
    return &loaded.emplace(id, std::move(made)).first->second;
}

// USER32 (user32/)
// The X cursor behind a cursor handle (None for none), made on first use and freed at exit.
Cursor xCursor(HCURSOR cursor);
HWND__* findWindow(Window xwindow); // the live window behind an X window, or null
// Calls the window's procedure now, as Win32's SendMessage does; 0 for a destroyed window.
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops the messages waiting in the queue for a window that is being destroyed, as Win32 does.
void forgetMessagesOf(HWND__* window);
// Any client may destroy our X window: the window then ends as DestroyWindow would have ended it.
void windowDestroyedElsewhere(HWND__* window);
// The keyboard layout to translate key events with, read again if the keymap changed since.
const KeyLayout& keyLayout();
// The character (Windows-1252; 0 for none) the key types in the given X state, as TranslateMessage posts
// it: Ctrl with a letter types its control character, Ctrl with Alt types nothing.
unsigned char typedCharacter(unsigned keycode, unsigned state);
// Marks the layout out of date on MappingNotify and XKB's keymap notifications; true when the event
// was one of those (XKB's state events included) and needs nothing more.
bool noteKeymapChange(XEvent& event);
// Records a new client size, keeps the GL surface in step and sends WM_SIZE.
void setClientSize(HWND__* window, int width, int height);
// Window-manager properties of a new window: names, class, protocols, pid, machine, position, and the
// icon once showPendingIcons has put it on.
void setWindowProperties(Display* display, const HWND__& window, int x, int y);
// Puts the class icon on every window still waiting for it. Run before the message queue is read, so
// decoding the icon and sending it (hundreds of kilobytes) come after the program's first frame.
void showPendingIcons();
// What ties any other window of ours (the message box) to this process as it ties the main window:
// WM_CLASS, WM_CLIENT_MACHINE and _NET_WM_PID.
void setProcessIdentity(Display* display, Window xwindow);
// Sets or removes _NET_WM_WINDOW_OPACITY to match the window's layered attributes and, once it has
// drawn a frame, what its translucency chose; false when the server refused (the X window is gone).
bool applyOpacity(Display* display, const HWND__& window);
// The top-level X window of a window, with the given visual, on the root at (x, y) and the window's
// client size, with the class cursor; 0 when the server refuses it.
Window createTopLevel(Display* display, HWND__& window, Visual* visual, int depth, Colormap colormap, int x, int y);
// Remakes a window that was never shown on another visual, keeping its properties, so that a GL
// surface with alpha can be blended by a compositor; false (the window unchanged) when it fails.
bool moveWindowToVisual(HWND__* window, const XVisualInfo& visual, Colormap colormap);

// GDI32 (gdi32/)
// The window-capable RGBA configs of the display's default screen, listed once; empty without GLX.
// The traits of each are read by formatTraits.
std::vector<PixelFormat>& pixelFormats();
// Makes the child window that GL draws into, with the format's visual.
bool createWindowSurface(HDC__* dc, const PixelFormat& format);
// How much of a client extent the GL surface covers: all of it, up to what GL can draw into.
int drawableExtent(int clientExtent);
// Keeps the GL surface the size of the client area; called whenever that size changes.
void resizeWindowSurface(HWND__* window);
// True when the palette is one that CreatePalette made and DeleteObject has not freed.
bool isLivePalette(HPALETTE palette);
