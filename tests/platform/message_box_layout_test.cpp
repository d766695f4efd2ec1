// Message box layout and the input that closes it.

// gtest before Xlib, whose None macro would break gtest's internal::None.
#include <gtest/gtest.h>

#include "message_box_layout.h"

#include <X11/keysym.h>

namespace {

BoxTextMetrics metrics(std::vector<int> lineWidths) { return BoxTextMetrics{11, 2, std::move(lineWidths), 12}; }

} // namespace

TEST(MessageBoxText, SplitsAtLineFeeds) {
    EXPECT_EQ(splitLines("Error Creating RC"), (std::vector<std::string>{"Error Creating RC"}));
    EXPECT_EQ(splitLines("one\ntwo"), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(splitLines("end\n"), (std::vector<std::string>{"end", ""}));
    EXPECT_EQ(splitLines(""), (std::vector<std::string>{""}));
}

TEST(MessageBoxLayout, ShortTextKeepsTheMinimumWidthAndLongTextWidensTheBox) {
    EXPECT_EQ(layoutMessageBox(metrics({40})).width, 220);
    const MessageBoxLayout wide = layoutMessageBox(metrics({100, 400, 50}));
    EXPECT_EQ(wide.width, 400 + 2 * wide.textX);
}

TEST(MessageBoxLayout, ButtonIsCentredBelowTheLastLine) {
    const MessageBoxLayout layout = layoutMessageBox(metrics({300, 300}));
    const int textBottom = layout.firstBaseline + layout.lineHeight + 2; // second baseline plus descent
    EXPECT_GT(layout.button.y, textBottom);
    EXPECT_LE(std::abs(layout.button.x - (layout.width - layout.button.x - layout.button.width)), 1);
    EXPECT_GT(layout.height, layout.button.y + layout.button.height);
    // The label sits inside the button.
    EXPECT_TRUE(insideRect(layout.button, layout.buttonLabelX, layout.buttonLabelBaseline));
    EXPECT_TRUE(insideRect(layout.button, layout.buttonLabelX + 12 - 1, layout.buttonLabelBaseline - 11));
}

TEST(MessageBoxInput, EnterEscapeAndSpaceClose) {
    for (KeySym keysym : {KeySym{XK_Return}, KeySym{XK_KP_Enter}, KeySym{XK_Escape}, KeySym{XK_space}}) {
        EXPECT_TRUE(keyClosesMessageBox(keysym)) << keysym;
    }
    for (KeySym keysym : {KeySym{XK_a}, KeySym{XK_Tab}, KeySym{XK_x}}) {
        EXPECT_FALSE(keyClosesMessageBox(keysym)) << keysym;
    }
}
