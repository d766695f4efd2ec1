// Processes, a private Xvfb and the damage watch of translucency_bench.

#include "x_harness.h"

#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace {

// Windows vanish between an event and the next request about them; that is no reason to stop.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

void sleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

} // namespace

std::unique_ptr<ChildProgram> ChildProgram::launch(const std::vector<std::string>& argv, const std::string& display,
                                                   const std::vector<std::string>& environment,
                                                   const std::string& outputPath) {
    if (argv.empty()) return nullptr;
    // Everything the child needs is prepared before fork: the child only sets up its output and
    // environment, then execs.
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> variables = environment;
    if (!display.empty()) variables.push_back("DISPLAY=" + display);
    const char* output = outputPath.empty() ? "/dev/null" : outputPath.c_str();

    const pid_t pid = fork();
    if (pid < 0) return nullptr;
    if (pid == 0) {
        const int fd = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
            if (fd > STDERR_FILENO) close(fd);
        }
        for (std::string& variable : variables) putenv(variable.data());
        execvp(args[0], args.data());
        _exit(127);
    }
    return std::unique_ptr<ChildProgram>(new ChildProgram(pid));
}

ChildProgram::~ChildProgram() {
    if (!status_) terminate();
}

bool ChildProgram::reap(int options) {
    if (status_) return true;
    int status = 0;
    if (waitpid(pid_, &status, options) != pid_) return false;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool ChildProgram::running() { return !reap(WNOHANG); }

std::optional<int> ChildProgram::waitForExit(double timeoutSeconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!reap(WNOHANG)) {
        if (Clock::now() >= deadline) return std::nullopt;
        sleepMilliseconds(5);
    }
    return status_;
}

int ChildProgram::terminate() {
    if (reap(WNOHANG)) return *status_;
    kill(pid_, SIGTERM);
    if (waitForExit(2.0)) return *status_;
    kill(pid_, SIGKILL);
    reap(0);
    return *status_;
}

std::unique_ptr<PrivateXvfb> PrivateXvfb::start(std::string& error) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = "no pipe for Xvfb";
        return nullptr;
    }
    // Only the writing end goes to Xvfb: it names the display it chose there once it accepts clients.
    fcntl(fds[1], F_SETFD, 0);
    auto process = ChildProgram::launch(
        {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
        "");
    close(fds[1]);
    std::string number;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (process && Clock::now() < deadline) {
        pollfd readable = {fds[0], POLLIN, 0};
        if (poll(&readable, 1, 100) <= 0) continue;
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (!process || number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        error = "Xvfb did not start (is the xvfb package installed?)";
        return nullptr;
    }
    return std::unique_ptr<PrivateXvfb>(new PrivateXvfb(std::move(process), ":" + number));
}

std::unique_ptr<DamageWatch> DamageWatch::open(const std::string& displayName, std::string& error) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) {
        error = "cannot open display " + displayName;
        return nullptr;
    }
    int damageEventBase = 0;
    int damageErrorBase = 0;
    int xtest[4];
    if (!XDamageQueryExtension(display, &damageEventBase, &damageErrorBase) ||
        !XTestQueryExtension(display, &xtest[0], &xtest[1], &xtest[2], &xtest[3])) {
        XCloseDisplay(display);
        error = displayName + " lacks the DAMAGE or XTEST extension";
        return nullptr;
    }
    XSetErrorHandler(ignoreXError);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    return std::unique_ptr<DamageWatch>(new DamageWatch(display, damageEventBase));
}

DamageWatch::~DamageWatch() { XCloseDisplay(display_); }

double DamageWatch::now() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

void DamageWatch::forgetWindows() {
    sync();
    tally_ = FrameTally();
}

// Children created before the selection took effect are found by asking for them.
void DamageWatch::adopt(Window window, Window parent) {
    if (tally_.knows(window)) return;
    XSelectInput(display_, window, SubstructureNotifyMask);
    XDamageCreate(display_, window, XDamageReportRawRectangles);
    tally_.addWindow(window, parent);
    Window root = 0;
    Window up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display_, window, &root, &up, &children, &count) && children) {
        for (unsigned i = 0; i < count; ++i) adopt(children[i], window);
        XFree(children);
    }
}

void DamageWatch::handle(const XEvent& event) {
    if (event.type == damageEventBase_ + XDamageNotify) {
        const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
        tally_.onDamage(damage.drawable, damage.more, now());
    } else if (event.type == CreateNotify) {
        const XCreateWindowEvent& created = event.xcreatewindow;
        if (created.parent == DefaultRootWindow(display_)) {
            adopt(created.window, 0);
        } else if (tally_.knows(created.parent)) {
            adopt(created.window, created.parent);
        }
    } else if (event.type == DestroyNotify) {
        tally_.removeWindow(event.xdestroywindow.window);
    }
}

void DamageWatch::pumpOnce(int timeoutMilliseconds) {
    if (!XPending(display_)) {
        pollfd readable = {ConnectionNumber(display_), POLLIN, 0};
        poll(&readable, 1, timeoutMilliseconds);
    }
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
    }
}

void DamageWatch::sync() {
    XSync(display_, False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        handle(event);
    }
}

bool DamageWatch::tapKeyIn(Window window, KeySym key) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return false;
    const Window root = DefaultRootWindow(display_);
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display_, window, root, attributes.width / 2, attributes.height / 2, &x, &y, &child))
        return false;
    const KeyCode code = XKeysymToKeycode(display_, key);
    if (code == 0) return false;
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    sync();
    return true;
}

void DamageWatch::requestClose() {
    const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    for (FrameTally::WindowId window : tally_.topLevels()) {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window, False, NoEventMask, &event);
    }
    XFlush(display_);
}
