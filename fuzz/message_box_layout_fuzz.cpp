// The message box's layout for any text and font metrics an X font can give: everything lies inside
// the box, the text lines above the button and clear of it, the label inside the button, and the
// button takes exactly the clicks that fall on it. splitLines gives back the text it was given.
//
// Input: ascent, descent and the button label's width (2 bytes each, 0..32767 as X font metrics),
// a click point (2 bytes each, signed), then the text (up to 4096 bytes); each line's width is 6 pixels a byte,
// as the "fixed" font draws it.

#include <algorithm>
#include <string>

#include "fuzz_input.h"
#include "message_box_layout.h"

namespace {

void checkSplit(const std::string& text, const std::vector<std::string>& lines) {
    FUZZ_CHECK(lines.size() == static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].find('\n') == std::string::npos);
        if (i > 0) joined += '\n';
        joined += lines[i];
    }
    FUZZ_CHECK(joined == text);
}

bool within(const BoxRect& outer, int x, int y, int width, int height) {
    return x >= outer.x && y >= outer.y && x + width <= outer.x + outer.width && y + height <= outer.y + outer.height;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    BoxTextMetrics metrics;
    metrics.ascent = static_cast<int>(in.range(0, 32767));
    metrics.descent = static_cast<int>(in.range(0, 32767));
    metrics.buttonLabelWidth = static_cast<int>(in.range(0, 32767));
    const int clickX = in.read<int16_t>();
    const int clickY = in.read<int16_t>();
    size_t n = 0;
    const uint8_t* bytes = in.rest(&n);
    // A message of a few KB at most: 32767-pixel lines times tens of thousands of them would not fit
    // the int coordinates that X itself uses.
    const std::string text(reinterpret_cast<const char*>(bytes), std::min<size_t>(n, 4096));

    const std::vector<std::string> lines = splitLines(text);
    checkSplit(text, lines);
    for (const std::string& line : lines) metrics.lineWidths.push_back(6 * static_cast<int>(line.size()));

    const MessageBoxLayout layout = layoutMessageBox(metrics);
    const BoxRect box = {0, 0, layout.width, layout.height};
    FUZZ_CHECK(layout.width >= 220 && layout.height > 0);
    FUZZ_CHECK(layout.lineHeight == metrics.ascent + metrics.descent);

    // Each line's ink runs from ascent above its baseline to descent below it.
    int textBottom = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int baseline = layout.firstBaseline + static_cast<int>(i) * layout.lineHeight;
        const int top = baseline - metrics.ascent;
        FUZZ_CHECK(within(box, layout.textX, top, metrics.lineWidths[i], layout.lineHeight));
        FUZZ_CHECK(i == 0 || top >= textBottom); // lines do not overlap
        textBottom = baseline + metrics.descent;
    }

    const BoxRect& button = layout.button;
    FUZZ_CHECK(button.width > 0 && button.height > 0);
    FUZZ_CHECK(within(box, button.x, button.y, button.width, button.height));
    FUZZ_CHECK(button.y >= textBottom); // the button stays clear of the text
    FUZZ_CHECK(within(button, layout.buttonLabelX, layout.buttonLabelBaseline - metrics.ascent,
                      metrics.buttonLabelWidth, layout.lineHeight));

    FUZZ_CHECK(insideRect(button, clickX, clickY) == within(button, clickX, clickY, 1, 1));
    FUZZ_CHECK(insideRect(button, button.x, button.y));
    FUZZ_CHECK(insideRect(button, button.x + button.width - 1, button.y + button.height - 1));
    FUZZ_CHECK(!insideRect(button, button.x + button.width, button.y));
    FUZZ_CHECK(!insideRect(button, button.x, button.y + button.height));
    return 0;
}
