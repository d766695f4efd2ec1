// translucency_bench: the program ("ours") against plain_gauge, the same frame drawn by the same
// render code on bare GLX ("plain"), on one private Xvfb in interleaved rounds. It prints the frame
// rate with vsync off, CPU and minor page faults per frame, the time from exec to the first frame,
// what a gauge standing still with vsync on costs, and the colour key's cost per frame.
//
// Frames are counted outside the programs and identically for both: XDamage reports on every
// window each program creates. A buffer swap reaches the X server as one image request on the
// window the program draws into, so one request there is one frame; neither program is changed.
// Usage: translucency_bench --help

#include <GL/glx.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <sys/stat.h>

#include "bench_figures.h"
#include "bench_options.h"
#include "swap_control.h"
#include "x_harness.h"

#ifndef TESSIVAR_EXE
#define TESSIVAR_EXE "tessivar"
#endif
#ifndef PLAIN_GAUGE_EXE
#define PLAIN_GAUGE_EXE "plain_gauge"
#endif
#ifndef COLOR_KEY_BENCH_EXE
#define COLOR_KEY_BENCH_EXE ""
#endif

namespace {

// The refresh rate the program paces to and scans the key at where RandR reports none (Xvfb).
constexpr double kAssumedRefreshHz = 60.0;

constexpr double kWarmUpSeconds = 1.0; // glyph caches, first shapes, the frame-rate meter's first figure
constexpr double kSettleSeconds = 0.5; // after V, before the vsync-off window
constexpr double kCloseSeconds = 5.0;

struct Program {
    std::vector<std::string> argv;
    std::vector<std::string> environment;
    double firstFrameTimeout;
    bool standStill; // measure the standing-still window too
};

// One run of one program. Figures stay empty where the run stopped early.
struct RunFigures {
    std::optional<double> firstFrameMs;
    std::optional<double> stillCpuPercent;
    std::optional<double> stillFrameRate;
    std::optional<double> frameRate;
    std::optional<double> cpuMsPerFrame;
    std::optional<double> faultsPerFrame;
    std::optional<double> serverMsPerFrame;
    std::string failure;
};

// Counts over one measuring window.
struct Counts {
    double seconds = 0;
    long frames = 0;
    double cpuSeconds = 0;
    long long minorFaults = 0;
    double serverCpuSeconds = 0;
};

class Bench {
public:
    Bench(const BenchOptions& options, PrivateXvfb& xvfb, DamageWatch& watch)
        : options_(options), xvfb_(xvfb), watch_(watch), ticksPerSecond_(sysconf(_SC_CLK_TCK)) {}

    RunFigures run(const Program& program);
    // color_key_bench's two figures (mask unchanged, mask changing), in ms per frame.
    std::pair<std::optional<double>, std::optional<double>> colorKeyMicro();

private:
    std::optional<Counts> measure(ChildProgram& child, Window frameWindow, double seconds);

    const BenchOptions& options_;
    PrivateXvfb& xvfb_;
    DamageWatch& watch_;
    long ticksPerSecond_;
};

std::optional<Counts> Bench::measure(ChildProgram& child, Window frameWindow, double seconds) {
    watch_.sync();
    const auto before = readProcCounters(child.pid());
    const auto serverBefore = readProcCounters(xvfb_.pid());
    watch_.tally().resetCounts();
    const double start = watch_.now();
    watch_.pumpFor(seconds);
    watch_.sync();
    const double end = watch_.now();
    const auto after = readProcCounters(child.pid());
    const auto serverAfter = readProcCounters(xvfb_.pid());
    if (!before || !after || !serverBefore || !serverAfter || !child.running()) return std::nullopt;
    Counts counted;
    counted.seconds = end - start;
    counted.frames = watch_.tally().operations(frameWindow);
    counted.cpuSeconds = cpuSecondsBetween(*before, *after, ticksPerSecond_);
    counted.minorFaults = after->minorFaults - before->minorFaults;
    counted.serverCpuSeconds = cpuSecondsBetween(*serverBefore, *serverAfter, ticksPerSecond_);
    return counted;
}

RunFigures Bench::run(const Program& program) {
    RunFigures figures;
    watch_.forgetWindows();
    const double launched = watch_.now();
    auto child = ChildProgram::launch(program.argv, xvfb_.displayName(), program.environment);
    if (!child) {
        figures.failure = "cannot start " + program.argv[0];
        return figures;
    }
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(program.firstFrameTimeout));
    watch_.pumpUntil(deadline, [&] { return watch_.tally().drawnWindow() != 0 || !child->running(); });
    if (watch_.tally().drawnWindow() == 0) {
        figures.failure = child->running()
                              ? "no frame within the time-out"
                              : "ended with status " + std::to_string(child->terminate()) + " before its first frame";
        return figures;
    }
    watch_.pumpFor(kWarmUpSeconds);
    const Window frameWindow = watch_.tally().drawnWindow();
    const std::optional<double> firstFrame = watch_.tally().firstDrawn(frameWindow);
    if (!firstFrame || !child->running()) {
        figures.failure = "ended within a second of its first frame";
        return figures;
    }
    figures.firstFrameMs = (*firstFrame - launched) * 1000.0;

    if (program.standStill) {
        const auto still = measure(*child, frameWindow, options_.idleSeconds);
        if (!still) {
            figures.failure = "ended while standing still";
            return figures;
        }
        figures.stillCpuPercent = 100.0 * still->cpuSeconds / still->seconds;
        figures.stillFrameRate = still->frames / still->seconds;
    }

    // Vertical sync starts on in both programs; V switches it off wherever there is swap control.
    if (!watch_.tapKeyIn(frameWindow, XK_v)) {
        figures.failure = "could not type V into its window";
        return figures;
    }
    watch_.pumpFor(kSettleSeconds);
    const auto unpaced = measure(*child, frameWindow, options_.seconds);
    if (!unpaced || unpaced->frames == 0) {
        figures.failure = unpaced ? "drew no frame with vsync off" : "ended with vsync off";
        return figures;
    }
    figures.frameRate = unpaced->frames / unpaced->seconds;
    figures.cpuMsPerFrame = 1000.0 * unpaced->cpuSeconds / unpaced->frames;
    figures.faultsPerFrame = static_cast<double>(unpaced->minorFaults) / unpaced->frames;
    figures.serverMsPerFrame = 1000.0 * unpaced->serverCpuSeconds / unpaced->frames;

    watch_.requestClose();
    watch_.pumpUntil(Clock::now() + std::chrono::seconds(static_cast<int>(kCloseSeconds)),
                     [&] { return !child->running(); });
    if (child->running()) {
        child->terminate();
        figures.failure = "did not close on WM_DELETE_WINDOW (killed)";
    }
    return figures;
}

std::pair<std::optional<double>, std::optional<double>> Bench::colorKeyMicro() {
    char path[] = "/tmp/translucency_bench_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return {};
    close(fd);
    watch_.forgetWindows();
    auto child = ChildProgram::launch({options_.colorKeyBench}, xvfb_.displayName(), {}, path);
    // Its windows' damage reports are read meanwhile, so none pile up at the server.
    if (child) watch_.pumpUntil(Clock::now() + std::chrono::seconds(60), [&] { return !child->running(); });
    const bool finished = child && !child->running() && child->waitForExit(0) == 0;
    std::ifstream file(path);
    std::stringstream output;
    output << file.rdbuf();
    std::remove(path);
    if (!finished) return {};
    return {figureAfterLabel(output.str(), "readback + mask, mask unchanged"),
            figureAfterLabel(output.str(), "readback + mask + shape, mask changing")};
}

// Other work on the machine moves every figure; the load average says how much there was.
std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    double one = 0;
    double five = 0;
    if (!(file >> one >> five)) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f (1 min), %.2f (5 min) on %ld cores", one, five,
                  sysconf(_SC_NPROCESSORS_ONLN));
    return text;
}

bool isExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool isOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream directories(path ? path : "");
    std::string directory;
    while (std::getline(directories, directory, ':'))
        if (!directory.empty() && isExecutableFile(directory + "/" + name)) return true;
    return false;
}

// One figure over the rounds, for ours and plain.
struct Row {
    const char* metric;
    int decimals;
    std::optional<double> RunFigures::*figure;
};

std::vector<double> valuesOf(const std::vector<RunFigures>& runs, std::optional<double> RunFigures::*figure) {
    std::vector<double> values;
    for (const RunFigures& run : runs)
        if (run.*figure) values.push_back(*(run.*figure));
    return values;
}

// Per round: what ours takes more than plain per frame, the pair measured back to back.
std::vector<double> pairedDifferences(const std::vector<RunFigures>& ours, const std::vector<RunFigures>& plain,
                                      double (*perFrame)(const RunFigures&)) {
    std::vector<double> values;
    for (size_t i = 0; i < ours.size() && i < plain.size(); ++i)
        if (ours[i].frameRate && plain[i].frameRate) values.push_back(perFrame(ours[i]) - perFrame(plain[i]));
    return values;
}

// Per round: ours / plain, the pair measured back to back, so that a slow spell of the machine
// moves both sides of a ratio.
std::vector<double> pairedRatios(const std::vector<RunFigures>& ours, const std::vector<RunFigures>& plain,
                                 std::optional<double> RunFigures::*figure) {
    std::vector<double> values;
    for (size_t i = 0; i < ours.size() && i < plain.size(); ++i)
        if (ours[i].*figure && plain[i].*figure && *(plain[i].*figure) != 0.0)
            values.push_back(*(ours[i].*figure) / *(plain[i].*figure));
    return values;
}

double frameTimeMs(const RunFigures& run) { return 1000.0 / *run.frameRate; }
double cpuMs(const RunFigures& run) { return *run.cpuMsPerFrame; }

void printRoundFailures(const char* name, const std::vector<RunFigures>& runs) {
    for (size_t i = 0; i < runs.size(); ++i)
        if (!runs[i].failure.empty()) std::printf("note: %s, round %zu: %s\n", name, i + 1, runs[i].failure.c_str());
}

std::string swapControlNote(Display* display) {
    const SwapControl control = pickSwapControl(glXQueryExtensionsString(display, DefaultScreen(display)));
    return control == SwapControl::Missing ? "none listed (both programs pace vsync on to 60 Hz themselves)" : "listed";
}

// Per-pixel alpha: under any compositor the program's layered window is on a 32-bit visual and every
// frame gets the alpha pass, so with --compositor the table and color_key_bench's figures include it.
// (A --before build from before that change blends by the opacity hint there unless
// TESSIVAR_PER_PIXEL_ALPHA=1 is in the environment, which it reads and this build ignores.)
std::string perPixelAlphaRow(const BenchOptions& options) {
    if (options.compositor.empty()) return "not in this run (give --compositor /usr/bin/xcompmgr)";
    return "this run: ours blends per pixel under " + options.compositor +
           "; the table and color_key_bench's figures above include the alpha pass";
}

// A compositing manager on the bench's display for the whole run; it owns _NET_WM_CM_S0 once ready.
std::unique_ptr<ChildProgram> startCompositor(const std::string& path, const std::string& display, Display* connection,
                                              std::string& error) {
    auto child = ChildProgram::launch({path}, display);
    const Atom selection = XInternAtom(connection, "_NET_WM_CM_S0", False);
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (child && child->running() && XGetSelectionOwner(connection, selection) == None && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!child || XGetSelectionOwner(connection, selection) == None) {
        error = path + " did not become the compositing manager";
        return nullptr;
    }
    return child;
}

// The figures of one program against a yardstick measured in the same rounds, a row each.
void printTable(const char* name, const std::vector<RunFigures>& runs, const char* yardstick,
                const std::vector<RunFigures>& plainRuns) {
    const Row rows[] = {
        {"frame rate, vsync off (frames/s)", 1, &RunFigures::frameRate},
        {"CPU per frame, vsync off (ms)", 3, &RunFigures::cpuMsPerFrame},
        {"minor page faults per frame, vsync off", 2, &RunFigures::faultsPerFrame},
        {"X server CPU per frame, vsync off (ms)", 3, &RunFigures::serverMsPerFrame},
        {"exec to first frame (ms)", 1, &RunFigures::firstFrameMs},
        {"standing still, vsync on: CPU (% of a core)", 1, &RunFigures::stillCpuPercent},
        {"standing still, vsync on: frame rate (1/s)", 1, &RunFigures::stillFrameRate},
    };
    std::printf("\n%s\n",
                tableRow("metric: median (min..max)", name, yardstick, "ratio of medians; per round").c_str());
    std::printf("%s\n", std::string(130, '-').c_str());
    for (const Row& row : rows) {
        const auto spread = spreadOf(valuesOf(runs, row.figure));
        const auto plainSpread = spreadOf(valuesOf(plainRuns, row.figure));
        const auto roundRatios = spreadOf(pairedRatios(runs, plainRuns, row.figure));
        const std::string ratio = formatRatio(spread, plainSpread) + "; " + formatSpread(roundRatios, 2);
        std::printf("%s\n", tableRow(row.metric, formatSpread(spread, row.decimals),
                                     formatSpread(plainSpread, row.decimals), ratio)
                                .c_str());
    }
}

// LATER ROW: the Wine build. Runs the Windows tessivar.exe given with --wine-exe under wine64 once,
// V pressed as for the others, and gives its vsync-off frame rate; CPU is left out because the
// wineserver and Wine's helper processes do part of the work.
std::string wineRow(const BenchOptions& options, Bench& bench) {
    if (options.wineExe.empty()) return "skipped: no --wine-exe PATH given";
    // Debian's wine64 package puts its loader outside PATH.
    const std::string loader = isOnPath("wine64")                         ? "wine64"
                               : isExecutableFile("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64"
                                                                          : "";
    if (loader.empty()) return "skipped: wine64 is not installed";
    struct stat info;
    if (stat(options.wineExe.c_str(), &info) != 0) return "skipped: " + options.wineExe + " does not exist";
    // Without a window manager Wine draws the window frame itself; a first start also makes the prefix.
    const Program wine{{loader, options.wineExe}, {"WINEDEBUG=-all"}, 120.0, false};
    const RunFigures run = bench.run(wine);
    if (!run.frameRate) return "failed: " + run.failure;
    char text[160];
    std::snprintf(text, sizeof text, "%.1f frames/s (one run; first frame after %.0f ms)%s%s", *run.frameRate,
                  *run.firstFrameMs, run.failure.empty() ? "" : "; ", run.failure.c_str());
    return text;
}

} // namespace

int main(int argc, char** argv) {
    BenchOptions defaults;
    defaults.ours = TESSIVAR_EXE;
    defaults.plain = PLAIN_GAUGE_EXE;
    defaults.colorKeyBench = COLOR_KEY_BENCH_EXE;
    std::string error;
    const auto options = parseBenchOptions(argc, argv, defaults, error);
    if (!options) {
        std::fprintf(stderr, "translucency_bench: %s\n%s", error.c_str(), kBenchUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(kBenchUsage, stdout);
        return 0;
    }
    for (const std::string& path : {options->ours, options->plain}) {
        if (!isExecutableFile(path)) {
            std::fprintf(stderr, "translucency_bench: %s is not an executable (build first, or give its path)\n",
                         path.c_str());
            return 1;
        }
    }
    const auto xvfb = PrivateXvfb::start(error);
    const auto watch = xvfb ? DamageWatch::open(xvfb->displayName(), error) : nullptr;
    if (!watch) {
        std::fprintf(stderr, "translucency_bench: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<ChildProgram> compositor;
    if (!options->compositor.empty()) {
        compositor = startCompositor(options->compositor, xvfb->displayName(), watch->display(), error);
        if (!compositor) {
            std::fprintf(stderr, "translucency_bench: %s\n", error.c_str());
            return 1;
        }
    }
    const auto started = Clock::now();
    std::printf("translucency_bench on a private Xvfb %s; GLX swap control: %s\n", xvfb->displayName().c_str(),
                swapControlNote(watch->display()).c_str());
    if (compositor) std::printf("compositing manager throughout: %s\n", options->compositor.c_str());
    std::printf("%d rounds of (ours, plain%s); vsync off over %.1f s after V; standing still over %.1f s, vsync on\n",
                options->rounds, options->before.empty() ? "" : ", before", options->seconds, options->idleSeconds);
    std::printf("frames counted from XDamage reports on the window each program draws into\n");
    std::printf("load average at the start: %s\n", loadAverage().c_str());
    std::fflush(stdout);

    Bench bench(*options, *xvfb, *watch);
    const Program ours{{options->ours}, {}, 30.0, true};
    const Program plain{{options->plain}, {}, 30.0, true};
    const bool microMeasure = isExecutableFile(options->colorKeyBench);
    const Program before{{options->before}, {}, 30.0, true};
    std::vector<RunFigures> oursRuns;
    std::vector<RunFigures> plainRuns;
    std::vector<RunFigures> beforeRuns;
    std::vector<double> keyUnchanged;
    std::vector<double> keyChanging;
    for (int round = 1; round <= options->rounds; ++round) {
        std::fprintf(stderr, "round %d of %d\n", round, options->rounds);
        oursRuns.push_back(bench.run(ours));
        plainRuns.push_back(bench.run(plain));
        if (!options->before.empty()) beforeRuns.push_back(bench.run(before));
        if (!microMeasure) continue;
        const auto [unchanged, changing] = bench.colorKeyMicro();
        if (unchanged) keyUnchanged.push_back(*unchanged);
        if (changing) keyChanging.push_back(*changing);
    }

    printTable("ours", oursRuns, "plain", plainRuns);
    if (!beforeRuns.empty()) {
        std::printf("\nthe earlier build (%s), measured in the same rounds:\n", options->before.c_str());
        printTable("before", beforeRuns, "plain", plainRuns);
        // The change itself: this build against the earlier one, round by round.
        std::printf("\nthis build against the earlier one:\n");
        printTable("ours", oursRuns, "before", beforeRuns);
    }
    std::printf("\ncolour key per frame, ours - plain (ms): frame time %s, CPU %s\n",
                formatSpread(spreadOf(pairedDifferences(oursRuns, plainRuns, frameTimeMs)), 3).c_str(),
                formatSpread(spreadOf(pairedDifferences(oursRuns, plainRuns, cpuMs)), 3).c_str());
    if (microMeasure) {
        std::printf("colour key per scan, color_key_bench (ms): readback + mask %s, with a changing shape %s\n",
                    formatSpread(spreadOf(keyUnchanged), 3).c_str(), formatSpread(spreadOf(keyChanging), 3).c_str());
        // Of frames faster than the display, one a refresh is scanned; Xvfb reports no rate, so 60 Hz.
        const auto scanCost = spreadOf(keyUnchanged);
        const auto rate = spreadOf(valuesOf(oursRuns, &RunFigures::frameRate));
        if (scanCost && rate && rate->median > 0) {
            const double share = std::min(1.0, kAssumedRefreshHz / rate->median);
            std::printf("colour key per frame, vsync off: one frame in %.1f scanned (one a refresh at %.0f Hz): "
                        "%.3f ms a frame\n",
                        1.0 / share, kAssumedRefreshHz, scanCost->median * share);
        }
    } else {
        std::printf("colour key per frame, color_key_bench: skipped (no executable at \"%s\")\n",
                    options->colorKeyBench.c_str());
    }
    std::printf("\nlater rows:\n");
    std::printf("per-pixel alpha per frame: %s\n", perPixelAlphaRow(*options).c_str());
    std::printf("Wine build, vsync off: %s\n", wineRow(*options, bench).c_str());
    printRoundFailures("ours", oursRuns);
    printRoundFailures("plain", plainRuns);
    printRoundFailures("before", beforeRuns);
    std::printf("load average at the end: %s\n", loadAverage().c_str());
    std::printf("total time: %.0f s\n", std::chrono::duration<double>(Clock::now() - started).count());
    return 0;
}
