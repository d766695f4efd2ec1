// Layout and closing keys of the message box.

#include "message_box_layout.h"

#include <X11/keysym.h>

#include <algorithm>

namespace {

constexpr int kMargin = 16;
constexpr int kMinimumWidth = 220;
constexpr int kButtonWidth = 80;
constexpr int kButtonPadding = 8;

} // namespace

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

MessageBoxLayout layoutMessageBox(const BoxTextMetrics& metrics) {
    MessageBoxLayout layout;
    layout.lineHeight = metrics.ascent + metrics.descent;
    layout.textX = kMargin;
    layout.firstBaseline = kMargin + metrics.ascent;

    int widest = 0;
    for (const int width : metrics.lineWidths) widest = std::max(widest, width);
    const int buttonWidth = std::max(kButtonWidth, metrics.buttonLabelWidth + 2 * kButtonPadding);
    layout.width = std::max({kMinimumWidth, widest + 2 * kMargin, buttonWidth + 2 * kMargin});

    const int textHeight = layout.lineHeight * static_cast<int>(metrics.lineWidths.size());
    const int buttonHeight = layout.lineHeight + 2 * kButtonPadding;
    layout.button = {(layout.width - buttonWidth) / 2, kMargin + textHeight + kMargin, buttonWidth, buttonHeight};
    layout.height = layout.button.y + buttonHeight + kMargin;
    layout.buttonLabelX = layout.button.x + (buttonWidth - metrics.buttonLabelWidth) / 2;
    layout.buttonLabelBaseline = layout.button.y + kButtonPadding + metrics.ascent;
    return layout;
}

bool insideRect(const BoxRect& rect, int x, int y) {
    return x >= rect.x && y >= rect.y && x < rect.x + rect.width && y < rect.y + rect.height;
}

bool keyClosesMessageBox(KeySym keysym) {
    return keysym == XK_Return || keysym == XK_KP_Enter || keysym == XK_Escape || keysym == XK_space;
}
