// Wine's windows as X sees them.
#include "wine_window.h"

#include <chrono>
#include <thread>

namespace {

Window clientOf(Display* display, Window frame) {
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, frame, &root, &parent, &children, &count)) return None;
    const Window client = count == 1 ? children[0] : None;
    if (children) XFree(children);
    return client;
}

} // namespace

Window waitForWineClient(Display* display, Window frame, double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    for (;;) {
        const Window client = clientOf(display, frame);
        if (client != None || std::chrono::steady_clock::now() >= deadline) return client;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
