// Wine's windows as X sees them.
// NOTE: include after gtest: the X11 headers' None and Bool macros break its templates.
#pragma once

#include <X11/Xlib.h>

// Wine without a window manager draws the caption and border itself: the titled top-level X window is that whole
// frame, and the client area is its one child, the X window GL draws into. Waits for that child; None if it never
// comes.
Window waitForWineClient(Display* display, Window frame, double timeoutSeconds);
