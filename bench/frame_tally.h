#pragma once
// Damage reports of one program's window tree, tallied per window. The X server reports every
// drawing request as one or more rectangles, the last without the "more" flag; a buffer swap is one
// request, so the requests on the window a program draws into are its frames. Pure, for tests.

#include <map>
#include <optional>
#include <vector>

class FrameTally {
public:
    using WindowId = unsigned long;

    // A window of the program; parent 0 (or a window not tallied) makes it a top-level window.
    void addWindow(WindowId window, WindowId parent);
    // A destroyed window leaves the tree with its counts.
    void removeWindow(WindowId window);
    bool knows(WindowId window) const { return windows_.count(window) != 0; }

    // One reported rectangle; seconds on the caller's clock.
    void onDamage(WindowId window, bool more, double seconds);

    // Starts a measuring window: operation counts go back to 0; the tree and first-draw times stay.
    void resetCounts();

    // The window the frames go to: the most drawn-to window without child windows, because damage
    // on a window also reports what is drawn into its children; 0 before anything was drawn.
    WindowId drawnWindow() const;
    long operations(WindowId window) const;
    // When the first drawing request on the window completed; nullopt if none yet.
    std::optional<double> firstDrawn(WindowId window) const;
    // The top-level windows, where a close request goes.
    std::vector<WindowId> topLevels() const;

private:
    struct Entry {
        WindowId parent = 0;
        int children = 0;
        long operations = 0;
        std::optional<double> firstDrawn;
    };
    std::map<WindowId, Entry> windows_;
};
