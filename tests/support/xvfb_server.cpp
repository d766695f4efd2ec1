// A private Xvfb that picks a free display number itself (-displayfd) and reports it once it accepts connections:
// servers started side by side by parallel tests cannot race for a number.
#include "xvfb_server.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <optional>

namespace {

constexpr double readyTimeoutSeconds = 10.0;

// Reads the display number Xvfb writes to the pipe when it is ready, a decimal and a newline; nullopt if the
// server closes the pipe first (it died) or says nothing in time.
std::optional<int> readDisplayNumber(int pipe) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(readyTimeoutSeconds);
    std::string text;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd ready{pipe, POLLIN, 0};
        if (left <= 0) return std::nullopt;
        const int polled = poll(&ready, 1, static_cast<int>(left));
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) return std::nullopt;
        char buffer[16];
        const ssize_t got = read(pipe, buffer, sizeof buffer);
        if (got <= 0) return std::nullopt;
        text.append(buffer, static_cast<size_t>(got));
        const size_t end = text.find('\n');
        if (end == std::string::npos) continue;
        if (end == 0 || text.find_first_not_of("0123456789") != end) return std::nullopt;
        return std::stoi(text.substr(0, end));
    }
}

} // namespace

XvfbServer::~XvfbServer() {
    XCloseDisplay(keeper_);
    process_.reset();
}

std::unique_ptr<XvfbServer> XvfbServer::start(const std::vector<std::string>& extraArguments) {
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) return nullptr;
    LaunchOptions options;
    options.argv = {"/usr/bin/Xvfb", "-displayfd", std::to_string(pipe[1]), "-screen", "0", "1024x768x24",
                    "-nolisten",     "tcp"};
    options.argv.insert(options.argv.end(), extraArguments.begin(), extraArguments.end());
    options.inheritedDescriptors = {pipe[1]};
    auto process = ChildProcess::launch(options);
    close(pipe[1]); // so that the read sees the end of the pipe if Xvfb dies
    const std::optional<int> number = process ? readDisplayNumber(pipe[0]) : std::nullopt;
    close(pipe[0]);
    if (!number) return nullptr;
    const std::string name = ":" + std::to_string(*number);
    Display* keeper = XOpenDisplay(name.c_str());
    if (!keeper) return nullptr;
    return std::unique_ptr<XvfbServer>(new XvfbServer(std::move(process), name, keeper));
}
