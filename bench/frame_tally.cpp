// Damage reports tallied per window.

#include "frame_tally.h"

void FrameTally::addWindow(WindowId window, WindowId parent) {
    if (knows(window)) return;
    Entry entry;
    if (knows(parent)) {
        entry.parent = parent;
        ++windows_[parent].children;
    }
    windows_[window] = entry;
}

void FrameTally::removeWindow(WindowId window) {
    const auto found = windows_.find(window);
    if (found == windows_.end()) return;
    if (found->second.parent != 0) {
        const auto parent = windows_.find(found->second.parent);
        if (parent != windows_.end()) --parent->second.children;
    }
    // Children of a destroyed window are destroyed with it; the server reports them first.
    windows_.erase(found);
}

void FrameTally::onDamage(WindowId window, bool more, double seconds) {
    const auto found = windows_.find(window);
    if (found == windows_.end() || more) return;
    ++found->second.operations;
    if (!found->second.firstDrawn) found->second.firstDrawn = seconds;
}

void FrameTally::resetCounts() {
    for (auto& [window, entry] : windows_) entry.operations = 0;
}

FrameTally::WindowId FrameTally::drawnWindow() const {
    WindowId best = 0;
    long most = 0;
    for (const auto& [window, entry] : windows_) {
        if (entry.children == 0 && entry.operations > most) {
            best = window;
            most = entry.operations;
        }
    }
    return best;
}

long FrameTally::operations(WindowId window) const {
    const auto found = windows_.find(window);
    return found == windows_.end() ? 0 : found->second.operations;
}

std::optional<double> FrameTally::firstDrawn(WindowId window) const {
    const auto found = windows_.find(window);
    return found == windows_.end() ? std::nullopt : found->second.firstDrawn;
}

std::vector<FrameTally::WindowId> FrameTally::topLevels() const {
    std::vector<WindowId> result;
    for (const auto& [window, entry] : windows_)
        if (entry.parent == 0) result.push_back(window);
    return result;
}
