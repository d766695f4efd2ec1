// A private Xvfb on a free display number, polled until it accepts connections.
#include "xvfb_server.h"

#include <X11/Xlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

constexpr int firstDisplay = 70;
constexpr int lastDisplay = 400;
constexpr int startAttempts = 5;
constexpr double readyTimeoutSeconds = 5.0;

bool displayTaken(int number) {
    const std::string n = std::to_string(number);
    return std::filesystem::exists("/tmp/.X11-unix/X" + n) || std::filesystem::exists("/tmp/.X" + n + "-lock");
}

// Polls until the server answers and returns that connection; null if the server died first (another one won
// the number) or never answered.
Display* waitUntilReady(ChildProcess& server, const std::string& name) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(readyTimeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!server.running()) return nullptr;
        if (Display* display = XOpenDisplay(name.c_str())) return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

} // namespace

int freeDisplayNumber(int first) {
    for (int number = first; number <= lastDisplay; ++number)
        if (!displayTaken(number)) return number;
    return -1;
}

XvfbServer::~XvfbServer() {
    XCloseDisplay(keeper_);
    process_.reset();
}

std::unique_ptr<XvfbServer> XvfbServer::start(const std::vector<std::string>& extraArguments) {
    int candidate = firstDisplay;
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        const int number = freeDisplayNumber(candidate);
        if (number < 0) return nullptr;
        const std::string name = ":" + std::to_string(number);
        LaunchOptions options;
        options.argv = {"/usr/bin/Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
        options.argv.insert(options.argv.end(), extraArguments.begin(), extraArguments.end());
        auto process = ChildProcess::launch(options);
        if (!process) return nullptr;
        if (Display* keeper = waitUntilReady(*process, name))
            return std::unique_ptr<XvfbServer>(new XvfbServer(std::move(process), name, keeper));
        candidate = number + 1;
    }
    return nullptr;
}
