#pragma once
// Command-line options of translucency_bench. Pure, for tests.

#include <optional>
#include <string>

struct BenchOptions {
    int rounds = 3;            // interleaved (ours, plain) rounds
    double seconds = 3.0;      // length of the vsync-off measuring window
    double idleSeconds = 10.0; // length of the standing-still window, vsync on
    std::string ours;          // the program
    std::string before;        // an earlier build of the program, run in every round too; empty: none
    std::string plain;         // the yardstick
    std::string colorKeyBench; // the colour-key micro-measure; empty: that row is skipped
    std::string wineExe;       // a Windows build to run under wine64; empty: that row is skipped
    std::string compositor;    // a compositing manager run on the bench's Xvfb throughout; empty: none
    bool help = false;
};

// Options over the given defaults; nullopt with error set for an unknown option, a missing value,
// or a value out of range (rounds 1..50, seconds 0.5..120).
std::optional<BenchOptions> parseBenchOptions(int argc, const char* const* argv, const BenchOptions& defaults,
                                              std::string& error);

extern const char kBenchUsage[];
