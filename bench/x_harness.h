#pragma once
// What translucency_bench needs of processes and the X server: a private Xvfb, programs started on
// it, and one connection that tallies damage on their windows and types keys through XTest.

#include <X11/Xlib.h>
#include <sys/types.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame_tally.h"

using Clock = std::chrono::steady_clock;

// A started program; killed (SIGTERM, then SIGKILL) if still running when the handle goes.
class ChildProgram {
public:
    // Starts argv[0] with DISPLAY set (and extra "NAME=value" variables); stdout and stderr go to
    // outputPath, or nowhere when it is empty. nullptr if fork fails; a failed exec exits with 127.
    static std::unique_ptr<ChildProgram> launch(const std::vector<std::string>& argv, const std::string& display,
                                                const std::vector<std::string>& environment = {},
                                                const std::string& outputPath = {});
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status (128 + signal if killed), or nullopt if still running after the time-out.
    std::optional<int> waitForExit(double timeoutSeconds);
    int terminate();

private:
    explicit ChildProgram(pid_t pid) : pid_(pid) {}
    bool reap(int options);

    pid_t pid_;
    std::optional<int> status_;
};

// Xvfb on a display number it picks itself (-displayfd), 1024x768x24.
class PrivateXvfb {
public:
    // nullptr with error set when Xvfb cannot be started or names no display within 10 s.
    static std::unique_ptr<PrivateXvfb> start(std::string& error);
    const std::string& displayName() const { return displayName_; }
    pid_t pid() const { return process_->pid(); }

private:
    PrivateXvfb(std::unique_ptr<ChildProgram> process, std::string displayName)
        : process_(std::move(process)), displayName_(std::move(displayName)) {}
    std::unique_ptr<ChildProgram> process_;
    std::string displayName_;
};

// Watches every window created on the display, with its children, through XDamage (one report per
// rectangle of each drawing request). The programs are measured without being changed: a buffer
// swap reaches the X server as one image request on the window, whatever made it.
class DamageWatch {
public:
    // nullptr with error set when the display lacks DAMAGE or XTEST.
    static std::unique_ptr<DamageWatch> open(const std::string& displayName, std::string& error);
    ~DamageWatch();
    DamageWatch(const DamageWatch&) = delete;
    DamageWatch& operator=(const DamageWatch&) = delete;

    Display* display() const { return display_; }
    // Seconds on this watch's clock.
    double now() const;
    // Forgets every window seen so far: the next program starts with an empty tally.
    void forgetWindows();
    // Handles events until the deadline, or until stop() (checked after each batch) says true.
    template <typename Stop>
    void pumpUntil(Clock::time_point deadline, Stop stop);
    void pumpFor(double seconds) {
        pumpUntil(Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)),
                  [] { return false; });
    }
    // Round trip to the server, then every report it had sent by then is tallied.
    void sync();

    FrameTally& tally() { return tally_; }
    // Moves the pointer into the window's middle (without a window manager keys go to the window
    // under the pointer) and taps the key.
    bool tapKeyIn(Window window, KeySym key);
    // WM_DELETE_WINDOW to every top-level window of the program.
    void requestClose();

private:
    explicit DamageWatch(Display* display, int damageEventBase)
        : display_(display), damageEventBase_(damageEventBase), start_(Clock::now()) {}
    void adopt(Window window, Window parent);
    void handle(const XEvent& event);
    void pumpOnce(int timeoutMilliseconds);

    Display* display_;
    int damageEventBase_;
    Clock::time_point start_;
    FrameTally tally_;
};

template <typename Stop>
void DamageWatch::pumpUntil(Clock::time_point deadline, Stop stop) {
    while (Clock::now() < deadline && !stop()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pumpOnce(static_cast<int>(std::min<long long>(std::max<long long>(left, 0), 20)));
    }
}
