// SwapBuffers: the layered window's translucency applied to the frame, then the swap, paced where the
// driver has no swap control.

#include "gdi32/swap_buffers.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "gdi32/display_facts.h"
#include "layer.h"
#include "swap_control.h"

namespace {

void sleepUntil(long long deadline) {
    timespec until = {static_cast<time_t>(deadline / 1000000000LL), static_cast<long>(deadline % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
}

// While a window is unmapped or minimised nothing of it shows, so frames are held to a few a second.
constexpr long long kHiddenFramePeriod = 100000000LL;
// Looking at the map state costs a round trip, so it is looked at a few times a second.
constexpr long long kMapCheckPeriod = 200000000LL;

bool isViewable(HDC__* dc, long long now) {
    PacingState& pacing = dc->pacing;
    // The first frame follows ShowWindow; the first look waits a period, sparing start-up a round trip.
    if (pacing.mapCheckedAt == 0) pacing.mapCheckedAt = now;
    if (now - pacing.mapCheckedAt < kMapCheckPeriod) return pacing.viewable;
    pacing.mapCheckedAt = now;
    Display* display = layer().display;
    XErrorTrap trap(display);
    XWindowAttributes attributes = {};
    if (XGetWindowAttributes(display, dc->window->xwindow, &attributes) && !trap.failed())
        pacing.viewable = attributes.map_state == IsViewable;
    return pacing.viewable;
}

// The moment the next swap is due: now, or later by the layer's own interval where the driver has no
// swap control, and at a slow pace for a window nobody can see.
long long swapDueTime(HDC__* dc) {
    const PacingState& pacing = dc->pacing;
    const int interval = layer().pacedInterval; // set only where the driver has no swap control
    const long long now = monotonicNs();
    if (!isViewable(dc, now)) return nextSwapTime(pacing.lastSwap, now, kHiddenFramePeriod, 1);
    if (interval > 0 && pacing.lastSwap != 0) return nextSwapTime(pacing.lastSwap, now, refreshPeriod(), interval);
    return now;
}

void waitForSwap(HDC__* dc, long long due) {
    const long long now = monotonicNs();
    if (due > now) sleepUntil(due);
    dc->pacing.lastSwap = std::max(due, now);
}

} // namespace

BOOL SwapBuffers(HDC dc) {
    Display* display = layer().display;
    if (!display || !dc || !dc->drawable || dc->window->destroyed) return FALSE;
    const long long due = swapDueTime(dc);
    applyTranslucency(dc, due);
    waitForSwap(dc, due);
    glXSwapBuffers(display, dc->drawable);
    return TRUE;
}
