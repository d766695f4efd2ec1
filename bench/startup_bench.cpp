// startup_bench: milliseconds from starting a program to its first frame handed to the X server (its
// first glXSwapBuffers returning), for the program and for plain_gauge, the bare GLX yardstick, in
// interleaved starts on one private Xvfb; prints each one's median and range and the ratio.
//
// Usage: startup_bench [--rounds N] [--ours PATH] [--plain PATH] [--before PATH] [--face PATH]
// --before also starts an earlier build of the program in every round; --face is the face file handed
// to plain_gauge (by default fontconfig's match for Arial, the face the program falls back to here).
// The programs run in an empty scratch directory, where "c:/windows/Fonts/arial.ttf" names nothing.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "x_harness.h"

namespace {

constexpr double kTimeoutSeconds = 20.0;

long long monotonicNs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

struct Contender {
    std::string name;
    std::vector<std::string> argv;
    std::vector<double> milliseconds; // one a round
};

// One start: from just before the fork to the first swap the preloaded probe reports; nullopt when no
// frame came within the time-out. The program is then ended.
std::optional<double> timeFirstFrame(const std::vector<std::string>& argv, const std::string& display) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    fcntl(fds[1], F_SETFD, 0); // only the writing end goes to the program
    const long long start = monotonicNs();
    auto program = ChildProgram::launch(
        argv, display, {"LD_PRELOAD=" FIRST_SWAP_PROBE, "TESSIVAR_FIRST_SWAP_FD=" + std::to_string(fds[1])});
    close(fds[1]);
    std::string text;
    pollfd readable = {fds[0], POLLIN, 0};
    if (program && poll(&readable, 1, static_cast<int>(kTimeoutSeconds * 1000)) > 0) {
        char buffer[64] = {};
        const ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
        if (n > 0) text.assign(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (program) program->terminate();
    if (text.empty()) return std::nullopt;
    return static_cast<double>(std::atoll(text.c_str()) - start) / 1e6;
}

std::string defaultFace() {
    std::string face = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";
    if (std::FILE* match = popen("fc-match -f '%{file}' Arial 2>/dev/null", "r")) {
        char path[4096] = {};
        if (std::fgets(path, sizeof path, match) && path[0] == '/') face = path;
        pclose(match);
    }
    return face;
}

int usage() {
    std::fprintf(stderr,
                 "usage: startup_bench [--rounds N] [--ours PATH] [--plain PATH] [--before PATH] [--face PATH]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 21;
    std::string ours = TESSIVAR_EXE;
    std::string plain = PLAIN_GAUGE_EXE;
    std::string before;
    std::string face;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return usage();
        const std::string value = argv[++i];
        if (option == "--rounds") {
            rounds = std::atoi(value.c_str());
            if (rounds < 1 || rounds > 200) return usage();
        } else if (option == "--ours") {
            ours = value;
        } else if (option == "--plain") {
            plain = value;
        } else if (option == "--before") {
            before = value;
        } else if (option == "--face") {
            face = value;
        } else {
            return usage();
        }
    }
    if (face.empty()) face = defaultFace();

    char scratch[] = "/tmp/tessivar-startup-XXXXXX";
    if (!mkdtemp(scratch) || chdir(scratch) != 0) {
        std::perror("startup_bench: scratch directory");
        return 1;
    }
    std::string error;
    auto xvfb = PrivateXvfb::start(error);
    if (!xvfb) {
        std::fprintf(stderr, "startup_bench: %s\n", error.c_str());
        return 1;
    }

    std::vector<Contender> contenders = {{"program", {ours}, {}}, {"plain_gauge", {plain, face}, {}}};
    if (!before.empty()) contenders.push_back({"before", {before}, {}});
    std::printf("startup_bench: %d interleaved starts each on %s; plain_gauge on %s\n", rounds,
                xvfb->displayName().c_str(), face.c_str());
    // One start each first, unmeasured: the files come into the page cache for all alike.
    for (const Contender& contender : contenders) timeFirstFrame(contender.argv, xvfb->displayName());
    for (int round = 0; round < rounds; ++round) {
        for (size_t k = 0; k < contenders.size(); ++k) {
            Contender& contender = contenders[(k + static_cast<size_t>(round)) % contenders.size()];
            const auto ms = timeFirstFrame(contender.argv, xvfb->displayName());
            if (!ms) {
                std::fprintf(stderr, "startup_bench: no first frame from %s\n", contender.argv[0].c_str());
                return 1;
            }
            contender.milliseconds.push_back(*ms);
        }
    }

    const auto plainSpread = spreadOf(contenders[1].milliseconds);
    std::printf("%-12s %-26s %s\n", "", "exec to first frame, ms", "ratio to plain_gauge");
    for (const Contender& contender : contenders) {
        const auto spread = spreadOf(contender.milliseconds);
        std::vector<double> roundRatios;
        for (size_t i = 0; i < contender.milliseconds.size(); ++i)
            roundRatios.push_back(contender.milliseconds[i] / contenders[1].milliseconds[i]);
        std::printf("%-12s %-26s %s (per round %s)\n", contender.name.c_str(), formatSpread(spread, 1).c_str(),
                    formatRatio(spread, plainSpread).c_str(), formatSpread(spreadOf(roundRatios), 2).c_str());
    }
    rmdir(scratch);
    return 0;
}
