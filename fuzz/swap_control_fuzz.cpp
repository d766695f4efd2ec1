// Extension lookup in arbitrary GLX extension strings, against splitting the string at spaces:
// a name is found exactly when it is one of the words, and the swap control picked is the first of
// EXT, MESA and SGI that is.
//
// Input: a name selector (1 byte: 0-2 the three swap-control extensions, 3 an empty name, others take
// a name from the next byte's count of letters, digits and underscores), then the extension string,
// which ends at its first zero byte.

#include <string>
#include <vector>

#include "fuzz_input.h"
#include "swap_control.h"

namespace {

const char* const kSwapControls[] = {"GLX_EXT_swap_control", "GLX_MESA_swap_control", "GLX_SGI_swap_control"};

std::vector<std::string> words(const std::string& list) {
    std::vector<std::string> result;
    size_t start = 0;
    for (;;) {
        const size_t space = list.find(' ', start);
        result.push_back(list.substr(start, space == std::string::npos ? std::string::npos : space - start));
        if (space == std::string::npos) return result;
        start = space + 1;
    }
}

bool isWord(const std::vector<std::string>& list, const std::string& name) {
    for (const std::string& word : list) {
        if (word == name) return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t selector = in.byte();
    std::string name;
    if (selector < 3) {
        name = kSwapControls[selector];
    } else if (selector > 3) {
        static const char kNameChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
        for (int length = in.byte() % 32 + 1; length > 0; --length) name += kNameChars[in.byte() % 63];
    }
    size_t n = 0;
    const uint8_t* bytes = in.rest(&n);
    // The string as a C string of its own, so reading past its terminator is caught.
    std::vector<char> extensions(bytes, bytes + n);
    extensions.push_back('\0');
    const std::string list(extensions.data());
    const std::vector<std::string> listed = words(list);

    FUZZ_CHECK(hasExtension(extensions.data(), name.c_str()) == (!name.empty() && isWord(listed, name)));
    FUZZ_CHECK(!hasExtension(nullptr, name.c_str()) && !hasExtension(extensions.data(), nullptr));

    SwapControl expected = SwapControl::Missing;
    if (isWord(listed, kSwapControls[0])) {
        expected = SwapControl::Ext;
    } else if (isWord(listed, kSwapControls[1])) {
        expected = SwapControl::Mesa;
    } else if (isWord(listed, kSwapControls[2])) {
        expected = SwapControl::Sgi;
    }
    FUZZ_CHECK(pickSwapControl(extensions.data()) == expected);
    return 0;
}
