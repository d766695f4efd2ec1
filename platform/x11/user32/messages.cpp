// The thread's message queue: the posted quit request and the window messages made from X events.

#include <deque>

#include "event_translate.h"
#include "layer.h"

namespace {

void enqueue(HWND window, const InputMessage& input, Time time, int rootX, int rootY, KeyModifiers modifiers = {}) {
    MSG msg = {};
    msg.hwnd = window;
    msg.message = input.message;
    msg.wParam = input.wParam;
    msg.lParam = input.lParam;
    msg.time = static_cast<DWORD>(time);
    msg.pt = POINT{rootX, rootY};
    layer().input.push_back(QueuedMessage{msg, modifiers});
}

void queueButtonMessage(HWND window, const XButtonEvent& event) {
    if (const auto input = translateButton(event, window->clientWidth, window->clientHeight)) {
        enqueue(window, *input, event.time, event.x_root, event.y_root);
    }
}

void queueMotionMessage(HWND window, const XMotionEvent& event) {
    if (const auto input = translateMotion(event, window->clientWidth, window->clientHeight)) {
        enqueue(window, *input, event.time, event.x_root, event.y_root);
    }
}

void queueKeyMessage(HWND window, XKeyEvent& event) {
    if (const auto input = translateKey(event, keyLayout())) {
        enqueue(window, *input, event.time, event.x_root, event.y_root, modifiersFromState(event.state));
    }
}

void onClientMessage(Display* display, HWND window, const XClientMessageEvent& event) {
    switch (classifyClientMessage(event, protocolAtoms())) {
    case ProtocolRequest::Close:
        enqueue(window, InputMessage{WM_CLOSE, 0, 0}, CurrentTime, 0, 0);
        break;
    case ProtocolRequest::Ping: {
        const Window root = DefaultRootWindow(display);
        XEvent reply = {};
        reply.xclient = pingReply(event, root);
        XErrorTrap trap(display); // the ping names a root window; a forged one may name none
        XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &reply);
        break;
    }
    case ProtocolRequest::Other:
        break;
    }
}

// A size change made by the user or the window manager; our own SetWindowPos already recorded its size.
void onConfigure(HWND window, const XConfigureEvent& event) {
    if (const auto size = changedClientSize(event, window->clientWidth, window->clientHeight)) {
        setClientSize(window, size->width, size->height);
    }
}

void handleEvent(Display* display, XEvent& event) {
    if (noteKeymapChange(event)) return;
    HWND window = findWindow(event.xany.window);
    if (!window) return; // a window of another part of the layer, or one already destroyed
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease:
        queueButtonMessage(window, event.xbutton);
        break;
    case MotionNotify:
        queueMotionMessage(window, event.xmotion);
        break;
    case KeyPress:
    case KeyRelease:
        queueKeyMessage(window, event.xkey);
        break;
    case ClientMessage:
        onClientMessage(display, window, event.xclient);
        break;
    case ConfigureNotify:
        onConfigure(window, event.xconfigure);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window->xwindow) windowDestroyedElsewhere(window);
        break;
    default:
        break;
    }
}

// Reads what the server has already sent, without waiting for more.
void pumpXEvents() {
    Display* display = layer().display;
    if (!display) return;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        handleEvent(display, event);
    }
}

bool passesFilter(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window && msg.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

MSG quitMessage(int exitCode) {
    MSG msg = {};
    msg.message = WM_QUIT;
    msg.wParam = static_cast<WPARAM>(exitCode);
    return msg;
}

} // namespace

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return FALSE;
    LayerState& messages = layer();
    const bool remove = (removeFlags & PM_REMOVE) != 0;

    const MSG quit = quitMessage(messages.quitCode);
    if (messages.quitPosted && passesFilter(quit, window, filterMin, filterMax)) {
        *msg = quit;
        if (remove) messages.quitPosted = false;
        return TRUE;
    }

    pumpXEvents();
    for (auto it = messages.input.begin(); it != messages.input.end(); ++it) {
        if (!passesFilter(it->msg, window, filterMin, filterMax)) continue;
        *msg = it->msg;
        if (remove) {
            messages.lastModifiers = it->modifiers;
            messages.input.erase(it);
        }
        return TRUE;
    }
    return FALSE;
}

// No character messages are made; the program acts on WM_KEYDOWN only.
BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    return sendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PostQuitMessage(int exitCode) {
    layer().quitPosted = true;
    layer().quitCode = exitCode;
}
