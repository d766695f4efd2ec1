// MessageBoxA: the caption and text go to standard error and, when there is a display, into a small
// modal box with an OK button.

#include <X11/Xutil.h>
#include <X11/Xatom.h>

#include <cstdio>

#include "message_box_layout.h"
#include "layer.h"

namespace {

constexpr char kButtonLabel[] = "OK";

// The text font and its metrics; falls back to the server's default font.
struct BoxFont {
    XFontStruct* info;
    bool loaded;
};

BoxFont openFont(Display* display, GC gc) {
    if (XFontStruct* font = XLoadQueryFont(display, "fixed")) {
        XSetFont(display, gc, font->fid);
        return BoxFont{font, true};
    }
    return BoxFont{XQueryFont(display, XGContextFromGC(gc)), false};
}

void closeFont(Display* display, const BoxFont& font) {
    if (!font.info) return;
    if (font.loaded) {
        XFreeFont(display, font.info);
    } else {
        XFreeFontInfo(nullptr, font.info, 1);
    }
}

int textWidth(XFontStruct* font, const std::string& text) {
    return font ? XTextWidth(font, text.c_str(), static_cast<int>(text.size())) : 8 * static_cast<int>(text.size());
}

BoxTextMetrics measure(XFontStruct* font, const std::vector<std::string>& lines) {
    BoxTextMetrics metrics;
    metrics.ascent = font ? font->ascent : 11;
    metrics.descent = font ? font->descent : 2;
    for (const std::string& line : lines) metrics.lineWidths.push_back(textWidth(font, line));
    metrics.buttonLabelWidth = textWidth(font, kButtonLabel);
    return metrics;
}

struct Box {
    Display* display;
    Window window;
    GC gc;
    std::vector<std::string> lines;
    MessageBoxLayout layout;
};

Window createBoxWindow(Display* display, HWND owner, const char* caption, const MessageBoxLayout& layout) {
    const int screen = DefaultScreen(display);
    const int x = (DisplayWidth(display, screen) - layout.width) / 2;
    const int y = (DisplayHeight(display, screen) - layout.height) / 2;
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y,
                                              static_cast<unsigned>(layout.width), static_cast<unsigned>(layout.height),
                                              0, BlackPixel(display, screen), WhitePixel(display, screen));
    XSelectInput(display, window, ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask);
    XStoreName(display, window, caption);
    setProcessIdentity(display, window);
    const LayerAtoms& atoms = layer().atoms;
    XChangeProperty(display, window, atoms.netWmName, atoms.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(caption), static_cast<int>(std::string(caption).size()));
    XChangeProperty(display, window, atoms.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&atoms.netWmWindowTypeDialog), 1);
    Atom protocols[] = {atoms.wmDeleteWindow};
    XSetWMProtocols(display, window, protocols, 1);
    if (owner && owner->xwindow) XSetTransientForHint(display, window, owner->xwindow);

    // A fixed size: the box has nothing to gain from resizing.
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = layout.width;
    hints->min_height = hints->max_height = layout.height;
    XSetWMNormalHints(display, window, hints);
    XFree(hints);
    return window;
}

void drawBox(const Box& box) {
    Display* display = box.display;
    const int screen = DefaultScreen(display);
    XClearWindow(display, box.window);
    XSetForeground(display, box.gc, BlackPixel(display, screen));
    for (size_t i = 0; i < box.lines.size(); ++i) {
        const std::string& line = box.lines[i];
        XDrawString(display, box.window, box.gc, box.layout.textX,
                    box.layout.firstBaseline + static_cast<int>(i) * box.layout.lineHeight, line.c_str(),
                    static_cast<int>(line.size()));
    }
    const BoxRect& button = box.layout.button;
    XDrawRectangle(display, box.window, box.gc, button.x, button.y, static_cast<unsigned>(button.width - 1),
                   static_cast<unsigned>(button.height - 1));
    XDrawString(display, box.window, box.gc, box.layout.buttonLabelX, box.layout.buttonLabelBaseline, kButtonLabel,
                static_cast<int>(sizeof(kButtonLabel) - 1));
}

Bool isForWindow(Display*, XEvent* event, XPointer window) {
    return event->xany.window == *reinterpret_cast<Window*>(window);
}

// Whether the event closes the box; Expose redraws it.
bool handleBoxEvent(const Box& box, XEvent& event) {
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0) drawBox(box);
        return false;
    case KeyPress:
        return keyClosesMessageBox(XLookupKeysym(&event.xkey, 0));
    case ButtonRelease:
        return event.xbutton.button == Button1 && insideRect(box.layout.button, event.xbutton.x, event.xbutton.y);
    case ClientMessage:
        return classifyClientMessage(event.xclient, protocolAtoms()) == ProtocolRequest::Close;
    default:
        return false;
    }
}

// NOTE: only the box's own events are taken; the main window's stay queued for PeekMessageA.
void runModal(Box& box) {
    XMapRaised(box.display, box.window);
    for (;;) {
        XEvent event;
        XIfEvent(box.display, &event, isForWindow, reinterpret_cast<XPointer>(&box.window));
        if (handleBoxEvent(box, event)) return;
    }
}

void showBox(Display* display, HWND owner, const char* text, const char* caption) {
    Box box;
    box.display = display;
    box.lines = splitLines(text);
    box.gc = XCreateGC(display, DefaultRootWindow(display), 0, nullptr);
    const BoxFont font = openFont(display, box.gc);
    box.layout = layoutMessageBox(measure(font.info, box.lines));
    box.window = createBoxWindow(display, owner, caption, box.layout);
    runModal(box);
    XDestroyWindow(display, box.window);
    closeFont(display, font);
    XFreeGC(display, box.gc);
    XFlush(display);
}

} // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT) {
    const char* shownText = text ? text : "";
    const char* shownCaption = caption ? caption : "Error";
    std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
    if (Display* display = layer().display) showBox(display, owner, shownText, shownCaption);
    return IDOK;
}
