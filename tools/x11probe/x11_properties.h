// Reading window properties: one place for XGetWindowProperty's out-parameters, formats and frees.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An 8-bit property as bytes (embedded NULs kept, as in WM_CLASS) if the window has it with that type;
// type AnyPropertyType takes any type.
std::optional<std::string> textProperty(Display* display, Window window, const char* name, Atom type = AnyPropertyType);

// A 32-bit property's items if the window has it with that type. Xlib hands them over as C longs,
// sign-extended on 64-bit machines; these are the 32-bit values the client stored.
std::optional<std::vector<std::uint32_t>> property32(Display* display, Window window, const char* name, Atom type);

// Whether the window carries the property at all, of any type and format.
bool hasProperty(Display* display, Window window, const char* name);
