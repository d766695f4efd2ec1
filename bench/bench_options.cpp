// Parsing translucency_bench's command line.

#include "bench_options.h"

#include <cstdlib>
#include <cstring>

const char kBenchUsage[] =
    "usage: translucency_bench [--rounds N] [--seconds S] [--idle-seconds S]\n"
    "                          [--ours PATH] [--plain PATH] [--color-key-bench PATH] [--wine-exe PATH]\n"
    "                          [--compositor PATH] [--before PATH]\n"
    "  --rounds N           interleaved rounds of (ours, plain), 1..50 (default 3)\n"
    "  --seconds S          vsync-off measuring window in seconds (default 3)\n"
    "  --idle-seconds S     standing-still window with vsync on in seconds (default 10)\n"
    "  --ours PATH          the tessivar executable (default: the build tree's)\n"
    "  --plain PATH         the plain_gauge executable (default: the build tree's)\n"
    "  --color-key-bench PATH  the colour-key micro-measure (default: the build tree's)\n"
    "  --wine-exe PATH      also run this Windows tessivar.exe under wine64\n"
    "  --before PATH        also run this earlier build of the program in every round, in a table of its own\n"
    "  --compositor PATH    run this compositing manager (e.g. /usr/bin/xcompmgr) throughout: ours then\n"
    "                       blends per pixel, and the colour-key figures include its alpha pass\n";

namespace {

// The whole text as a number, or nullopt.
std::optional<double> number(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0') return std::nullopt;
    return value;
}

bool inRange(const std::optional<double>& value, double low, double high) {
    return value && *value >= low && *value <= high;
}

} // namespace

std::optional<BenchOptions> parseBenchOptions(int argc, const char* const* argv, const BenchOptions& defaults,
                                              std::string& error) {
    BenchOptions options = defaults;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        std::string* path = name == "--ours"              ? &options.ours
                            : name == "--plain"           ? &options.plain
                            : name == "--color-key-bench" ? &options.colorKeyBench
                            : name == "--wine-exe"        ? &options.wineExe
                            : name == "--compositor"      ? &options.compositor
                            : name == "--before"          ? &options.before
                                                          : nullptr;
        const bool numeric = name == "--rounds" || name == "--seconds" || name == "--idle-seconds";
        if (!path && !numeric) {
            error = "unknown option " + name;
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const char* value = argv[++i];
        if (path) {
            *path = value;
            continue;
        }
        const std::optional<double> parsed = number(value);
        if (name == "--rounds") {
            if (!inRange(parsed, 1, 50) || *parsed != static_cast<int>(*parsed)) {
                error = "--rounds takes a whole number from 1 to 50";
                return std::nullopt;
            }
            options.rounds = static_cast<int>(*parsed);
        } else {
            if (!inRange(parsed, 0.5, 120)) {
                error = name + " takes seconds from 0.5 to 120";
                return std::nullopt;
            }
            (name == "--seconds" ? options.seconds : options.idleSeconds) = *parsed;
        }
    }
    return options;
}
