#pragma once
// Where the parts of a message box go, and which input closes it; no X calls.

#include <X11/Xlib.h>

#include <string>
#include <vector>

struct BoxRect {
    int x;
    int y;
    int width;
    int height;
};

// Font metrics the layout needs: line height parts and the widths of the text lines and the button label.
struct BoxTextMetrics {
    int ascent;
    int descent;
    std::vector<int> lineWidths;
    int buttonLabelWidth;
};

struct MessageBoxLayout {
    int width;
    int height;
    int textX;
    int firstBaseline;
    int lineHeight;
    BoxRect button;
    int buttonLabelX;
    int buttonLabelBaseline;
};

// The text split at line feeds; an empty text is one empty line.
std::vector<std::string> splitLines(const std::string& text);

// Text lines at the top left with a margin, the OK button centred below; never narrower than a minimum.
MessageBoxLayout layoutMessageBox(const BoxTextMetrics& metrics);

bool insideRect(const BoxRect& rect, int x, int y);

// Enter, Return, Escape and Space close the box as its default button would.
bool keyClosesMessageBox(KeySym keysym);
