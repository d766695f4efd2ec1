// A Windows build run by Wine on a test's own X server, in a Wine prefix of its own: the x86_64 one by wine64,
// the i686 one by the 32-bit loader of wine32 in the same (WoW64) prefix.
#pragma once

#include "child_process.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

// Debian's wine64 and wine32 put their loaders and server here and nothing on PATH.
struct WineSetup {
    std::string loader = "/usr/lib/wine/wine64"; // runs x86_64 programs, and Wine's own (msiexec)
    std::string loader32 = "/usr/lib/wine/wine"; // runs i686 programs (package wine32:i386)
    std::string server = "/usr/lib/wine/wineserver64";
    std::string basePrefix; // the cached prefix of scripts/wine-prefix.sh
};

// A new prefix's wineserver starts its desktop and services first: 1 to 3 s here.
constexpr double wineStartTimeoutSeconds = 30.0;
// Without a window manager winex11 waits 2 s for a destroyed window's withdrawal before the process ends.
constexpr double wineExitTimeoutSeconds = 10.0;

// Which loader a Windows executable needs.
enum class WineArch { x86_64, i686 };

// The setup, or what is missing and how to get it.
struct WineLookup {
    std::optional<WineSetup> setup;
    std::string missing;
};

// Finds Wine's loaders and the cached prefix: $TESSIVAR_WINE_PREFIX if set, else what prefixScript prints last (it
// makes the prefix on first use, about 25 s). The script is asked only once the loaders are there: it would
// install them.
WineLookup findWine(const std::string& prefixScript);

// Wine's environment for a prefix: its messages silenced, no Mono or Gecko, and the XDG folders inside the prefix
// (winemenubuilder would otherwise put the prefix's Start-menu entries into the desktop of whoever runs the tests).
std::map<std::string, std::optional<std::string>> wineEnvironment(const std::string& prefix);

// Whether a missing Windows build or Wine fails the tests instead of skipping them ($TESSIVAR_REQUIRE_WINDOWS
// set and not 0): CI sets it, so the Windows executable cannot drop out of testing unnoticed.
bool windowsTestsRequired();

// Makes a prefix of its own in directory from the cached one, in a few hundredths of a second and about 2 MB:
// the registry files are copied, since Wine rewrites them, and every file of drive_c is a symbolic link to the
// cached one, so the 700 MB of DLLs are shared. Without the face, C:\windows\Fonts has no arial.ttf.
// Its own prefix also gives each run its own wineserver, which ends with the run.
bool makePrivatePrefix(const std::string& basePrefix, const std::string& directory, bool withFace);

// The path of the face file in a prefix, where the program looks for it first ("c:/windows/Fonts/arial.ttf").
std::string faceFileOf(const std::string& prefix);

class WineProgram {
public:
    // Starts exe with the loader for arch in prefix on display, Wine's own messages silenced.
    static std::unique_ptr<WineProgram> launch(const WineSetup& setup, WineArch arch, const std::string& prefix,
                                               const std::string& exe, const std::string& display,
                                               const std::string& workingDirectory, const std::string& outputPath);
    // Ends the program if it still runs, then the prefix's wineserver with every process it serves (the desktop,
    // services) and waits until it is gone.
    ~WineProgram();

    WineProgram(const WineProgram&) = delete;
    WineProgram& operator=(const WineProgram&) = delete;

    ChildProcess& process() { return *process_; }

private:
    WineProgram(const WineSetup& setup, std::string prefix, std::unique_ptr<ChildProcess> process)
        : setup_(setup), prefix_(std::move(prefix)), process_(std::move(process)) {}

    WineSetup setup_;
    std::string prefix_;
    std::unique_ptr<ChildProcess> process_;
};

// In a test's SetUp: skips the test with the reason, or fails it where windowsTestsRequired().
#define TESSIVAR_SKIP_OR_FAIL(reason)                                                                                  \
    do {                                                                                                               \
        if (windowsTestsRequired()) FAIL() << (reason);                                                                \
        GTEST_SKIP() << (reason);                                                                                      \
    } while (0)
