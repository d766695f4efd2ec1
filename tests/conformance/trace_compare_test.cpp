// The trace comparison on hand-made traces: what the accepted-differences file explains and what it does not.
#include <gtest/gtest.h>

#include "trace_compare.h"

TEST(TraceCompare, ListedDifferencesPassAndUnlistedOrStaleOnesAreReported) {
    std::string error;
    const auto accepted = parseAcceptedDifferences("# comment\n\n"
                                                   "message WM_NCHITTEST | Wine asks; the layer has no frame\n"
                                                   "ours peek WM_SIZE wParam=0x0 lParam=0x1 | frame metrics\n"
                                                   "wine proc WM_MOVE wParam=0x0 lParam=0x2 | frame metrics\n"
                                                   "wine gone line | no longer happens\n",
                                                   &error);
    ASSERT_TRUE(accepted) << error;
    EXPECT_EQ(accepted->messages, std::set<std::string>{"WM_NCHITTEST"});

    const std::vector<std::string> ours = {"ready", "peek WM_SIZE wParam=0x0 lParam=0x1", "proc WM_KEYDOWN wParam=0x49",
                                           "proc WM_NCHITTEST wParam=0x0", "done"};
    const std::vector<std::string> wine = {"ready", "proc WM_NCHITTEST wParam=0x0 lParam=0x9",
                                           "proc WM_MOVE wParam=0x0 lParam=0x2", "proc WM_SYSKEYDOWN wParam=0x49",
                                           "done"};
    const TraceDiff diff =
        diffTraces(withoutMessages(ours, accepted->messages), withoutMessages(wine, accepted->messages));
    EXPECT_EQ(diff.oursOnly,
              (std::vector<std::string>{"peek WM_SIZE wParam=0x0 lParam=0x1", "proc WM_KEYDOWN wParam=0x49"}));
    EXPECT_EQ(diff.wineOnly,
              (std::vector<std::string>{"proc WM_MOVE wParam=0x0 lParam=0x2", "proc WM_SYSKEYDOWN wParam=0x49"}));
    EXPECT_EQ(unexplainedDifferences(diff, *accepted),
              (std::vector<std::string>{"ours: proc WM_KEYDOWN wParam=0x49", "wine: proc WM_SYSKEYDOWN wParam=0x49",
                                        "stale wine: gone line"}));
    EXPECT_TRUE(unusedMessageEntries(ours, wine, *accepted).empty());
    EXPECT_EQ(unusedMessageEntries({"ready"}, {"peek WM_SIZE wParam=0x0"}, *accepted),
              std::vector<std::string>{"stale message: WM_NCHITTEST"});
}

TEST(TraceCompare, EveryEntryNeedsAKindAndAReason) {
    std::string error;
    EXPECT_FALSE(parseAcceptedDifferences("message WM_MOVE\n", &error));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    EXPECT_FALSE(parseAcceptedDifferences("# fine\nmaybe some line | why\n", &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(parseAcceptedDifferences("ours | why\n", &error)) << "no line";
    EXPECT_TRUE(parseAcceptedDifferences("", &error));
}
