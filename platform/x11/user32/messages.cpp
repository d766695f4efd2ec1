// The thread's message queue: messages posted to it, the quit request, and the window messages made from
// X events; TranslateMessage's character messages.

#include <algorithm>
#include <deque>

#include "event_translate.h"
#include "layer.h"

namespace {

// A message made from an X event; key messages keep the key and state TranslateMessage types with.
void enqueue(HWND window, const InputMessage& input, Time time, int rootX, int rootY, unsigned keycode = 0,
             unsigned keyState = 0) {
    MSG msg = {};
    msg.hwnd = window;
    msg.message = input.message;
    msg.wParam = input.wParam;
    msg.lParam = input.lParam;
    msg.time = static_cast<DWORD>(time);
    msg.pt = POINT{rootX, rootY};
    layer().input.push_back(QueuedMessage{msg, keycode, keyState});
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

void queueKeyMessage(Display* display, HWND window, XKeyEvent& event) {
    // X's own auto-repeat is a release and a press at the same time; Windows sends only the repeated
    // WM_KEYDOWN. (The keyboard asks the server for detectable auto-repeat, which sends presses alone.)
    if (event.type == KeyRelease && XEventsQueued(display, QueuedAfterReading) > 0) {
        XEvent next;
        XPeekEvent(display, &next);
        if (isAutoRepeatRelease(event, next)) return;
    }
    if (const auto input = layer().keys.translate(event, keyLayout())) {
        enqueue(window, *input, event.time, event.x_root, event.y_root, event.keycode, event.state);
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
        queueKeyMessage(display, window, event.xkey);
        break;
    case FocusIn:
    case FocusOut:
        // Keys pressed or released while another window had the focus were never seen here.
        layer().keys.releaseAll();
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
    showPendingIcons();
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

bool isKeyMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

} // namespace

// Win32's order: messages posted to the queue, then WM_QUIT, then input.
BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return FALSE;
    LayerState& messages = layer();
    const bool remove = (removeFlags & PM_REMOVE) != 0;

    for (auto it = messages.posted.begin(); it != messages.posted.end(); ++it) {
        if (!passesFilter(*it, window, filterMin, filterMax)) continue;
        *msg = *it;
        if (remove) messages.posted.erase(it);
        return TRUE;
    }

    // WM_QUIT comes whatever the filters ask for.
    if (messages.quitPosted) {
        *msg = quitMessage(messages.quitCode);
        if (remove) messages.quitPosted = false;
        return TRUE;
    }

    pumpXEvents();
    for (auto it = messages.input.begin(); it != messages.input.end(); ++it) {
        if (!passesFilter(it->msg, window, filterMin, filterMax)) continue;
        *msg = it->msg;
        if (remove) {
            if (isKeyMessage(it->msg.message)) messages.lastKey = *it;
            messages.input.erase(it);
        }
        return TRUE;
    }
    return FALSE;
}

// Posts WM_CHAR or WM_SYSCHAR for a key press that types a character. The character comes from the key
// and state of the key message PeekMessageA last removed, which is the one a message loop translates.
// Like user32, it answers nonzero for every keyboard message, translated or not, and zero for others.
BOOL TranslateMessage(const MSG* msg) {
    if (!msg || !isKeyMessage(msg->message)) return FALSE;
    const UINT message = msg->message;
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return TRUE;
    const QueuedMessage& key = layer().lastKey;
    const bool known = key.msg.hwnd == msg->hwnd && key.msg.message == message && key.msg.wParam == msg->wParam &&
                       key.msg.lParam == msg->lParam && key.msg.time == msg->time;
    if (!known) return TRUE;
    const unsigned char typed = typedCharacter(key.keycode, key.keyState);
    if (const auto character = characterMessage(InputMessage{message, msg->wParam, msg->lParam}, typed)) {
        MSG posted = *msg;
        posted.message = character->message;
        posted.wParam = character->wParam;
        posted.lParam = character->lParam;
        layer().posted.push_back(posted);
    }
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    return sendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void forgetMessagesOf(HWND__* window) {
    LayerState& messages = layer();
    auto& posted = messages.posted;
    posted.erase(std::remove_if(posted.begin(), posted.end(), [window](const MSG& msg) { return msg.hwnd == window; }),
                 posted.end());
    auto& input = messages.input;
    input.erase(std::remove_if(input.begin(), input.end(),
                               [window](const QueuedMessage& queued) { return queued.msg.hwnd == window; }),
                input.end());
}

void PostQuitMessage(int exitCode) {
    layer().quitPosted = true;
    layer().quitCode = exitCode;
}
