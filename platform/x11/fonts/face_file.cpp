// The TrueType face that stands in for Arial: whatever fontconfig matches for that family.

#include <fontconfig/fontconfig.h>

#include <string>

#include "seams.h"

namespace {

std::string matchFaceFile(const char* family) {
    std::string file;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return file;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
        file = reinterpret_cast<const char*>(path);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

} // namespace

// Looked up once; null when fontconfig knows no face at all.
const char* fallbackFaceFile() {
    static const std::string file = matchFaceFile("Arial");
    return file.empty() ? nullptr : file.c_str();
}
