// The TrueType face that stands in where "c:/windows/Fonts/arial.ttf" does not exist: Arial in the Fonts
// folder of the Windows directory, wherever Windows is installed.

#include <windows.h>

#include <string>

#include "seams.h"

namespace {

std::string windowsFontFile(const char* name) {
    char directory[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    std::string file(directory, length);
    // Only a Windows directory at the root of a drive ("D:\") ends with a separator.
    if (file.back() != '\\' && file.back() != '/') file += '/';
    file += "Fonts/";
    file += name;
    const DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::string();
    return file;
}

} // namespace

// Looked up once; null when the Fonts folder has no Arial.
const char* fallbackFaceFile() {
    static const std::string file = windowsFontFile("arial.ttf");
    return file.empty() ? nullptr : file.c_str();
}
