// Wine in private prefixes linked to the cached one.
#include "wine_program.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr double prefixScriptTimeoutSeconds = 120.0;
constexpr double serverTimeoutSeconds = 30.0;

std::string lastLine(const std::string& text) {
    const size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) return "";
    const size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

} // namespace

std::map<std::string, std::optional<std::string>> wineEnvironment(const std::string& prefix) {
    // Mono and Gecko are not in the prefix; without the overrides Wine offers to download them. winemenubuilder
    // turns the prefix's Start-menu shortcuts into desktop entries and icons under the XDG folders, and runs now and
    // then despite its override: those folders are the prefix's own, so nothing reaches the user's desktop.
    return {{"WINEPREFIX", prefix},
            {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "mscoree,mshtml=,winemenubuilder.exe=d"},
            {"XDG_DATA_HOME", prefix + "/xdg/data"},
            {"XDG_CONFIG_HOME", prefix + "/xdg/config"}};
}

bool windowsTestsRequired() {
    const char* value = std::getenv("TESSIVAR_REQUIRE_WINDOWS");
    return value && *value && std::string(value) != "0";
}

WineLookup findWine(const std::string& prefixScript) {
    WineSetup setup;
    for (const std::string& tool : {setup.loader, setup.loader32, setup.server})
        if (access(tool.c_str(), X_OK) != 0)
            return {std::nullopt, "Wine is not installed (no " + tool +
                                      "; bash scripts/wine-prefix.sh installs wine64 and wine32:i386)"};
    if (const char* given = std::getenv("TESSIVAR_WINE_PREFIX"); given && *given) {
        setup.basePrefix = given;
    } else {
        const ToolRun run = runTool({"/bin/bash", prefixScript}, prefixScriptTimeoutSeconds);
        if (run.status != 0) return {std::nullopt, prefixScript + " failed:\n" + run.output};
        setup.basePrefix = lastLine(run.output);
    }
    if (!fs::is_regular_file(fs::path(setup.basePrefix) / "system.reg"))
        return {std::nullopt, "no Wine prefix at \"" + setup.basePrefix + "\""};
    if (!fs::is_regular_file(fs::path(setup.basePrefix) / "drive_c/windows/syswow64/kernel32.dll"))
        return {std::nullopt, "the Wine prefix at \"" + setup.basePrefix +
                                  "\" has no 32-bit half (made before wine32 was installed?)"};
    return {setup, ""};
}

std::string faceFileOf(const std::string& prefix) { return prefix + "/drive_c/windows/Fonts/arial.ttf"; }

bool makePrivatePrefix(const std::string& basePrefix, const std::string& directory, bool withFace) {
    std::error_code error;
    const fs::path base = fs::absolute(basePrefix, error);
    const fs::path prefix(directory);
    fs::create_directories(prefix / "drive_c", error);
    if (error) return false;
    for (const char* file : {"system.reg", "user.reg", "userdef.reg", ".update-timestamp"}) {
        fs::copy_file(base / file, prefix / file, error);
        if (error) return false;
    }
    // The drive letters: c: is ../drive_c, relative, so it names this prefix's own drive_c.
    fs::copy(base / "dosdevices", prefix / "dosdevices", fs::copy_options::recursive | fs::copy_options::copy_symlinks,
             error);
    if (error) return false;

    const fs::path leftOut = fs::path(faceFileOf(base.string()));
    for (auto entry = fs::recursive_directory_iterator(base / "drive_c", error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        const fs::path target = prefix / "drive_c" / entry->path().lexically_relative(base / "drive_c");
        if (entry->is_symlink()) {
            fs::copy_symlink(entry->path(), target, error);
        } else if (entry->is_directory()) {
            fs::create_directory(target, error);
        } else if (withFace || entry->path() != leftOut) {
            fs::create_symlink(entry->path(), target, error);
        }
    }
    return !error && fs::exists(prefix / "drive_c/windows/system32") && fs::exists(faceFileOf(directory)) == withFace;
}

std::unique_ptr<WineProgram> WineProgram::launch(const WineSetup& setup, WineArch arch, const std::string& prefix,
                                                 const std::string& exe, const std::string& display,
                                                 const std::string& workingDirectory, const std::string& outputPath) {
    LaunchOptions options;
    options.argv = {arch == WineArch::i686 ? setup.loader32 : setup.loader, exe};
    options.environment = wineEnvironment(prefix);
    options.environment["DISPLAY"] = display;
    options.workingDirectory = workingDirectory;
    options.outputPath = outputPath;
    auto process = ChildProcess::launch(options);
    if (!process) return nullptr;
    return std::unique_ptr<WineProgram>(new WineProgram(setup, prefix, std::move(process)));
}

WineProgram::~WineProgram() {
    process_->terminate();
    runTool({setup_.server, "-k"}, serverTimeoutSeconds, wineEnvironment(prefix_));
    runTool({setup_.server, "-w"}, serverTimeoutSeconds, wineEnvironment(prefix_));
}
