// Window properties read whole with XGetWindowProperty.
#include "x11_properties.h"

namespace {

// In 32-bit units, as XGetWindowProperty counts: far beyond any title or hint a test reads.
constexpr long maxLength = 1L << 20;

struct Property {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned char* data = nullptr;

    Property() = default;
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;
    ~Property() {
        if (data) XFree(data);
    }
};

// Reads up to length 32-bit units of the property into out; false if the request fails or the window lacks a
// property of that type.
bool readProperty(Display* display, Window window, const char* name, Atom type, long length, Property& out) {
    unsigned long remaining = 0;
    const Atom property = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, property, 0, length, False, type, &out.type, &out.format, &out.count,
                           &remaining, &out.data) != Success)
        return false;
    // A property of another type comes back as its type alone, with no data.
    return out.type != None && (type == AnyPropertyType || out.type == type);
}

} // namespace

std::optional<std::string> textProperty(Display* display, Window window, const char* name, Atom type) {
    Property property;
    if (!readProperty(display, window, name, type, maxLength, property) || property.format != 8) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(property.data), property.count);
}

std::optional<std::vector<std::uint32_t>> property32(Display* display, Window window, const char* name, Atom type) {
    Property property;
    if (!readProperty(display, window, name, type, maxLength, property) || property.format != 32) return std::nullopt;
    std::vector<std::uint32_t> items(property.count);
    const auto* longs = reinterpret_cast<const unsigned long*>(property.data);
    for (unsigned long i = 0; i < property.count; ++i) items[i] = static_cast<std::uint32_t>(longs[i] & 0xFFFFFFFFul);
    return items;
}

bool hasProperty(Display* display, Window window, const char* name) {
    Property property;
    return readProperty(display, window, name, AnyPropertyType, 0, property);
}
