// The benchmark's own logic: how damage reports become frames, how /proc and color_key_bench output
// are read, how rounds are summarised, its options, and plain_gauge's choice of swap control.

#include <gtest/gtest.h>
#include <unistd.h>

#include "bench_figures.h"
#include "bench_options.h"
#include "frame_tally.h"

namespace {

// The program's layout: a top-level window whose GL surface is a child window.
constexpr FrameTally::WindowId kTop = 0x400001;
constexpr FrameTally::WindowId kSurface = 0x400008;

// One swap as the server reports it to both windows: the top-level also sees its child's drawing.
void swapReported(FrameTally& tally, int rectangles, double seconds) {
    for (FrameTally::WindowId window : {kTop, kSurface})
        for (int i = 0; i < rectangles; ++i) tally.onDamage(window, i + 1 < rectangles, seconds);
}

TEST(FrameTally, CountsOneFramePerRequestHoweverManyRectanglesAndPicksTheSurface) {
    FrameTally tally;
    tally.addWindow(kTop, 0);
    tally.addWindow(kSurface, kTop);
    EXPECT_EQ(tally.drawnWindow(), 0u);
    swapReported(tally, 1, 0.5);
    swapReported(tally, 7, 0.6); // a shaped window's request arrives as several rectangles
    swapReported(tally, 3, 0.7);
    EXPECT_EQ(tally.drawnWindow(), kSurface);
    EXPECT_EQ(tally.operations(kSurface), 3);
    EXPECT_EQ(tally.operations(kTop), 3);
    tally.onDamage(0x999, false, 0.8); // another client's window
    EXPECT_EQ(tally.operations(0x999), 0);
}

TEST(FrameTally, ResettingKeepsTheFirstFrameTimeAndTheTree) {
    FrameTally tally;
    tally.addWindow(kTop, 0);
    tally.addWindow(kSurface, kTop);
    tally.onDamage(kSurface, true, 1.25); // not complete yet
    EXPECT_FALSE(tally.firstDrawn(kSurface));
    tally.onDamage(kSurface, false, 1.5);
    tally.onDamage(kSurface, false, 2.0);
    tally.resetCounts();
    EXPECT_EQ(tally.operations(kSurface), 0);
    EXPECT_EQ(tally.drawnWindow(), 0u);
    EXPECT_DOUBLE_EQ(*tally.firstDrawn(kSurface), 1.5);
    tally.onDamage(kSurface, false, 3.0);
    EXPECT_EQ(tally.drawnWindow(), kSurface);
    EXPECT_EQ(tally.topLevels(), std::vector<FrameTally::WindowId>{kTop});
}

TEST(FrameTally, AWindowWhoseChildIsDestroyedDrawsItsOwnFramesAgain) {
    FrameTally tally;
    tally.addWindow(kTop, 0);
    tally.addWindow(kSurface, kTop);
    tally.addWindow(kSurface, kTop); // adopted twice (event and tree query): still one child
    tally.onDamage(kTop, false, 1.0);
    EXPECT_EQ(tally.drawnWindow(), 0u); // a parent's reports are its children's drawing too
    tally.removeWindow(kSurface);
    EXPECT_FALSE(tally.knows(kSurface));
    tally.onDamage(kTop, false, 1.1);
    EXPECT_EQ(tally.drawnWindow(), kTop);
    EXPECT_EQ(tally.operations(kTop), 2);
}

TEST(FrameTally, AWindowUnderAnUnknownParentIsTopLevel) {
    FrameTally tally;
    tally.addWindow(0x500001, 0x123); // e.g. created under a window of another client
    tally.addWindow(kTop, 0);
    EXPECT_EQ(tally.topLevels(), (std::vector<FrameTally::WindowId>{kTop, 0x500001}));
}

// A real line's shape: the command name may hold spaces and closing parentheses.
const char kStatLine[] = "4242 (my (odd) gauge) S 1 4242 4242 0 -1 4194560 1500 0 3 0 275 48 0 0 20 0 3 0 "
                         "123456 500000000 20000 18446744073709551615 1 1 0 0 0 0 0 4096 0 0 0 0 17 1 0 0 0 0 0";

TEST(ProcStat, ReadsFaultsAndTimesAfterTheCommandName) {
    const auto counters = parseProcStat(kStatLine);
    ASSERT_TRUE(counters);
    EXPECT_EQ(counters->minorFaults, 1500);
    EXPECT_EQ(counters->userTicks, 275);
    EXPECT_EQ(counters->systemTicks, 48);
}

TEST(ProcStat, RejectsTextThatIsNotAStatLine) {
    EXPECT_FALSE(parseProcStat(""));
    EXPECT_FALSE(parseProcStat("4242 (gauge) S 1 4242 4242 0 -1 4194560 1500 0 3 0 275")); // cut short
    EXPECT_FALSE(parseProcStat("4242 (gauge) S 1 4242 4242 0 -1 4194560 x 0 3 0 275 48 0"));
    EXPECT_FALSE(parseProcStat("gauge) S 1 ("));
}

TEST(ProcStat, CpuSecondsCountUserAndSystemTimeAtTheTickRate) {
    const ProcCounters before{10, 100, 20};
    const ProcCounters after{90, 250, 70};
    EXPECT_DOUBLE_EQ(cpuSecondsBetween(before, after, 100), 2.0);
    EXPECT_DOUBLE_EQ(cpuSecondsBetween(before, after, 0), 0.0);
}

TEST(ProcStat, ThisProcessCanBeRead) {
    const auto counters = readProcCounters(getpid());
    ASSERT_TRUE(counters);
    EXPECT_GT(counters->minorFaults, 0);
    EXPECT_FALSE(readProcCounters(-1));
}

TEST(Spread, MedianAndRangeOfUnsortedRounds) {
    const auto odd = spreadOf({30, 10, 20});
    ASSERT_TRUE(odd);
    EXPECT_DOUBLE_EQ(odd->median, 20);
    EXPECT_DOUBLE_EQ(odd->min, 10);
    EXPECT_DOUBLE_EQ(odd->max, 30);
    EXPECT_DOUBLE_EQ(spreadOf({4, 1, 3, 2})->median, 2.5);
    EXPECT_FALSE(spreadOf({}));
}

TEST(Spread, CellsAndRatios) {
    EXPECT_EQ(formatSpread(spreadOf({412.34, 401.0, 420.25}), 1), "412.3 (401.0..420.2)");
    EXPECT_EQ(formatSpread(std::nullopt, 1), "n/a");
    EXPECT_EQ(formatRatio(spreadOf({300}), spreadOf({500})), "0.60x");
    EXPECT_EQ(formatRatio(spreadOf({300}), std::nullopt), "n/a");
    EXPECT_EQ(formatRatio(spreadOf({300}), spreadOf({0})), "n/a");
    const std::string row = tableRow("frame rate", "1", "2", "0.50x");
    EXPECT_EQ(row.find(" | 1"), 44u);
    EXPECT_EQ(row.substr(row.size() - 5), "0.50x");
}

TEST(ColorKeyOutput, FindsTheLabelledFigureNotOneWhoseLabelStartsAlike) {
    const std::string output = "colour key, 600x600, 200 frames (llvmpipe)\n"
                               "readback + mask, mask unchanged: 1.234 ms/frame\n"
                               "readback + mask + shape, mask changing: 2.500 ms/frame\n";
    EXPECT_DOUBLE_EQ(*figureAfterLabel(output, "readback + mask, mask unchanged"), 1.234);
    EXPECT_DOUBLE_EQ(*figureAfterLabel(output, "readback + mask + shape, mask changing"), 2.5);
    EXPECT_FALSE(figureAfterLabel(output, "readback + mask"));
    EXPECT_FALSE(figureAfterLabel("readback + mask, mask unchanged: none\n", "readback + mask, mask unchanged"));
}

std::optional<BenchOptions> parse(std::vector<const char*> args, std::string& error) {
    args.insert(args.begin(), "translucency_bench");
    BenchOptions defaults;
    defaults.ours = "/build/tessivar";
    return parseBenchOptions(static_cast<int>(args.size()), args.data(), defaults, error);
}

TEST(Options, ValuesOverDefaults) {
    std::string error;
    const auto options = parse({"--rounds", "5", "--seconds", "1.5", "--plain", "/x/plain", "--wine-exe", "t.exe",
                                "--compositor", "/usr/bin/xcompmgr", "--before", "/old/tessivar"},
                               error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->rounds, 5);
    EXPECT_DOUBLE_EQ(options->seconds, 1.5);
    EXPECT_DOUBLE_EQ(options->idleSeconds, 10.0);
    EXPECT_EQ(options->ours, "/build/tessivar");
    EXPECT_EQ(options->plain, "/x/plain");
    EXPECT_EQ(options->wineExe, "t.exe");
    EXPECT_EQ(options->compositor, "/usr/bin/xcompmgr");
    EXPECT_EQ(options->before, "/old/tessivar");
    EXPECT_TRUE(parse({}, error)->compositor.empty()) << "no compositor unless asked for";
    EXPECT_TRUE(parse({}, error)->before.empty()) << "no earlier build unless asked for";
    EXPECT_FALSE(options->help);
    EXPECT_TRUE(parse({"--help"}, error)->help);
}

TEST(Options, RejectsWhatWouldMakeAMeaninglessRun) {
    for (const auto& args : std::vector<std::vector<const char*>>{{"--rounds", "0"},
                                                                  {"--rounds", "2.5"},
                                                                  {"--rounds", "3x"},
                                                                  {"--seconds", "0.1"},
                                                                  {"--idle-seconds", ""},
                                                                  {"--seconds"},
                                                                  {"--frames", "3"}}) {
        std::string error;
        EXPECT_FALSE(parse(args, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

} // namespace
