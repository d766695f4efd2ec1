#pragma once
// What the layer knows of the display beyond the Win32 handles: the Shape extension, the refresh rate
// swaps are paced to, whether a compositing manager blends windows, and whether it is Xwayland's. Each is looked up when first
// needed (Xwayland too); those that can change while the program runs (the mode, the compositor) are looked at again
// at most once a second.

#include <X11/Xlib.h>

// Kept in the layer's state (LayerState::displayFacts).
struct DisplayFacts {
    bool shapeQueried = false;         // hasShape is known
    bool hasShape = false;             // Shape extension 1.1 or later (input shapes)
    long long refreshPeriod = 0;       // ns between the display's refreshes; 0 until looked up
    long long refreshCheckedAt = 0;    // monotonic ns of the last look at RandR's mode; 0: never
    Atom compositorSelection = 0;      // _NET_WM_CM_S<screen>; 0 until interned
    bool compositing = false;          // a compositing manager owned it at the last look
    long long compositorCheckedAt = 0; // monotonic ns of that look; 0: never looked
    bool opaqueNoticeGiven = false;    // the line saying windows show opaque was printed
    bool xwaylandQueried = false;      // xwayland is known
    bool xwayland = false;             // the server is Xwayland (RandR outputs named XWAYLAND<n>)
};

// CLOCK_MONOTONIC in nanoseconds: the clock swaps are paced and facts are aged by.
long long monotonicNs();
// Whether the server has the Shape extension with input shapes.
bool hasShapeExtension();
// Nanoseconds between the display's refreshes, following mode changes within a second; 60 Hz where
// RandR reports no rate.
long long refreshPeriod();
// Whether a compositing manager owns the default screen now (looked at most once a second). The first
// look that finds none says once on stderr that translucent windows show opaque.
bool compositorPresent();
// Whether the compositor applies _NET_WM_WINDOW_OPACITY on top of a window's own alpha: X compositors
// do; a Wayland compositor showing X windows through Xwayland ignores the hint.
bool compositorHonoursOpacityHint();
