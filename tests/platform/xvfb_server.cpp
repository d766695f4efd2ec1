// Starts and stops a private Xvfb.

#include "xvfb_server.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool displayTaken(int number) {
    return exists("/tmp/.X11-unix/X" + std::to_string(number)) || exists("/tmp/.X" + std::to_string(number) + "-lock");
}

pid_t launch(int number) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string name = ":" + std::to_string(number);
        execlp("Xvfb", "Xvfb", name.c_str(), "-nolisten", "tcp", "-screen", "0", "1024x768x24", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Waits for the server's socket; false when Xvfb exited first (another one took the number) or is too slow.
bool waitUntilListening(pid_t pid, int number) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int i = 0; i < 100; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return false;
        if (exists(socket)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return false;
}

} // namespace

XvfbServer::XvfbServer() {
    for (int number = 60; number < 160; ++number) {
        if (displayTaken(number)) continue;
        const pid_t pid = launch(number);
        if (pid < 0) return;
        if (waitUntilListening(pid, number)) {
            pid_ = pid;
            display_ = ":" + std::to_string(number);
            return;
        }
    }
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}
