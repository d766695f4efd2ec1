// A child process started with its own environment and working directory, killed when the handle goes.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct LaunchOptions {
    std::vector<std::string> argv;
    // Environment changes on top of this process's own: a value sets the variable, nullopt removes it.
    std::map<std::string, std::optional<std::string>> environment;
    std::string workingDirectory; // empty: inherit
    std::string outputPath;       // receives stdout and stderr; empty: /dev/null
    // Descriptors the program inherits under the same numbers, though opened close-on-exec: open them so, and
    // no other child started meanwhile gets them too.
    std::vector<int> inheritedDescriptors;
    // The program leads a process group of its own and terminating it signals the whole group: for
    // launchers such as dbus-run-session, whose bus and desktop would otherwise outlive them.
    bool ownProcessGroup = false;
};

class ChildProcess {
public:
    // Starts the program; nullptr if fork fails. An exec failure shows up as exit status 127.
    // NOTE: the program is killed when the thread that started it ends (the parent-death signal follows the
    // thread, not the process), so that a crashed test leaves no server behind.
    static std::unique_ptr<ChildProcess> launch(const LaunchOptions& options);
    ~ChildProcess();

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    pid_t pid() const { return pid_; }
    // The exit status (128 + signal number if killed) once it has ended, nullopt if still running after the time-out.
    std::optional<int> waitForExit(double timeoutSeconds);
    // SIGTERM, then SIGKILL if it lingers; returns the exit status.
    int terminate();
    // What it wrote to stdout and stderr so far.
    std::string output() const;

private:
    ChildProcess(pid_t pid, std::string outputPath, bool group)
        : pid_(pid), outputPath_(std::move(outputPath)), group_(group) {}
    bool reap(int options);
    void signal(int number);

    pid_t pid_;
    std::string outputPath_;
    bool group_;
    std::optional<int> status_;
};

// Combined environment for a child: the parent's, changed as the options say, as "NAME=value" strings.
std::vector<std::string> childEnvironment(const std::map<std::string, std::optional<std::string>>& changes);

// The full path of program as a shell would find it on PATH; empty when no directory of PATH has it.
std::string findOnPath(const std::string& program);

// What a short-lived tool did: its exit status (nullopt if it was still running at the time-out and was killed)
// and what it wrote to stdout and stderr.
struct ToolRun {
    std::optional<int> status;
    std::string output;
};

// Runs argv to completion; argv[0] is looked up on PATH unless it names a path.
ToolRun runTool(std::vector<std::string> argv, double timeoutSeconds,
                std::map<std::string, std::optional<std::string>> environment = {});
