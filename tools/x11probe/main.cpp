// x11probe: screenshot, wait-window and close subcommands for scripts and tests driving an X11 program.
#include "png_writer.h"
#include "x11_capture.h"
#include "x11_windows.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr double defaultTimeoutSeconds = 10.0;

int usage() {
    std::fprintf(stderr, "usage: x11probe screenshot <out.png> [window-title]\n"
                         "       x11probe wait-window <window-title> [timeout-seconds]\n"
                         "       x11probe wait-drawn <window-title> [timeout-seconds]\n"
                         "       x11probe close <window-title>\n");
    return 2;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "x11probe: %s\n", message.c_str());
    return 1;
}

int screenshot(Display* display, const std::string& path, const char* title) {
    std::optional<RgbImage> image;
    if (title) {
        const Window window = findWindowByTitle(display, title);
        if (!window) return fail(std::string("no window titled \"") + title + "\"");
        if (const auto area = windowRect(display, window)) image = captureScreenArea(display, *area);
    } else {
        image = captureScreen(display);
    }
    if (!image) return fail("could not read the screen");
    return writePngFile(*image, path) ? 0 : fail("could not write " + path);
}

int waitWindow(Display* display, const std::string& title, double timeoutSeconds) {
    const Window window = waitForWindow(display, title, timeoutSeconds);
    if (!window) return fail("timed out waiting for \"" + title + "\"");
    std::printf("0x%lx\n", window);
    return 0;
}

bool anyLitPixel(const RgbImage& image) {
    for (std::uint8_t channel : image.rgb)
        if (channel != 0) return true;
    return false;
}

// Waits until the window exists and shows anything but black: its first frame.
int waitDrawn(Display* display, const std::string& title, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    const Window window = waitForWindow(display, title, timeoutSeconds);
    while (window && std::chrono::steady_clock::now() < deadline) {
        const auto area = windowRect(display, window);
        const auto image = area ? captureScreenArea(display, *area) : std::nullopt;
        if (image && anyLitPixel(*image)) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return fail("timed out waiting for \"" + title + "\" to draw");
}

int closeWindow(Display* display, const std::string& title) {
    const Window window = findWindowByTitle(display, title);
    if (!window) return fail("no window titled \"" + title + "\"");
    return sendDeleteWindow(display, window) ? 0 : fail("could not send WM_DELETE_WINDOW");
}

int run(Display* display, const std::string& command, int argc, char** argv) {
    if (command == "screenshot" && (argc == 3 || argc == 4))
        return screenshot(display, argv[2], argc == 4 ? argv[3] : nullptr);
    if (command == "wait-window" && (argc == 3 || argc == 4))
        return waitWindow(display, argv[2], argc == 4 ? std::atof(argv[3]) : defaultTimeoutSeconds);
    if (command == "wait-drawn" && (argc == 3 || argc == 4))
        return waitDrawn(display, argv[2], argc == 4 ? std::atof(argv[3]) : defaultTimeoutSeconds);
    if (command == "close" && argc == 3) return closeWindow(display, argv[2]);
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    Display* display = XOpenDisplay(nullptr);
    if (!display) return fail("cannot open display");
    ignoreXErrors();
    const int status = run(display, argv[1], argc, argv);
    XCloseDisplay(display);
    return status;
}
