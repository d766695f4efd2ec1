// The Windows downloads of scripts/package-windows.sh as a user gets them, under Wine on a private Xvfb: the MSI
// installed with msiexec in a prefix of its own, the installed program run and quit, the MSI removed again; the zip
// unpacked and the program run from where it lies.
// NOTE: gtest comes before the X11 headers, whose None and Bool macros break its templates.
#include <gtest/gtest.h>

#include "gauge_scene.h"
#include "test_files.h"
#include "wine_fixture.h"
#include "wine_program.h"
#include "wine_window.h"
#include "x11_windows.h"
#include "xvfb_server.h"

#include <X11/keysym.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using namespace gauge;

constexpr double msiexecTimeoutSeconds = 120.0;
constexpr double toolTimeoutSeconds = 60.0;

// One architecture's downloads and where Windows puts a program of that architecture.
struct Package {
    std::string name; // x86 or x64, as in the file names
    std::string exe;  // the executable the package was made from
    WineArch arch;
    std::string programFiles; // under C:
};

std::ostream& operator<<(std::ostream& out, const Package& package) { return out << package.name; }

const Package packages[] = {
    {"x86", TESSIVAR_WINDOWS_SHIPPED_EXE, WineArch::i686, "Program Files (x86)"},
    {"x64", TESSIVAR_WINDOWS_EXE, WineArch::x86_64, "Program Files"},
};

std::string packageFile(const std::string& name) { return std::string(TESSIVAR_WINDOWS_PACKAGE_DIR) + "/" + name; }

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every path under directory, relative to it; directories end with a slash.
std::set<std::string> treeOf(const fs::path& directory) {
    std::set<std::string> paths;
    std::error_code error;
    for (auto entry = fs::recursive_directory_iterator(directory, error);
         !error && entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        std::string path = entry->path().lexically_relative(directory).string();
        if (entry->is_directory() && !entry->is_symlink()) path += "/";
        paths.insert(path);
    }
    return paths;
}

std::set<std::string> added(const std::set<std::string>& before, const std::set<std::string>& after) {
    std::set<std::string> result;
    for (const std::string& path : after)
        if (!before.count(path)) result.insert(path);
    return result;
}

std::string listed(const std::set<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) text += "\n  " + path;
    return text.empty() ? " (none)" : text;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The key of a Wine registry file ("[name] time" and its values up to a blank line) whose name contains namePart
// and whose values contain valuePart; "" if none.
std::string registryKey(const std::string& registry, const std::string& namePart, const std::string& valuePart) {
    for (size_t at = registry.find("\n["); at != std::string::npos; at = registry.find("\n[", at + 1)) {
        const size_t end = registry.find("\n\n", at + 1);
        const std::string key = registry.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
        const std::string name = key.substr(0, key.find('\n'));
        if (name.find(namePart) != std::string::npos && key.find(valuePart) != std::string::npos) return key;
    }
    return "";
}

class WinePackage : public WineFixture, public ::testing::WithParamInterface<Package> {
protected:
    void SetUp() override {
        for (const std::string& file : {GetParam().exe, packageFile(msiName()), packageFile(zipName())})
            if (!fs::is_regular_file(file))
                TESSIVAR_SKIP_OR_FAIL("no " + file + " (bash scripts/package-windows.sh <dir> makes the packages)");
        setUpWine(GetParam().exe, TESSIVAR_WINE_PREFIX_SCRIPT);
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(makePrivatePrefix(wine_.basePrefix, prefix(), true));
    }

    void TearDown() override {
        stopServer();
        tearDownWine();
    }

    std::string msiName() const { return "tessivar-" TESSIVAR_PROJECT_VERSION "-" + GetParam().name + ".msi"; }
    std::string zipName() const { return "tessivar-" TESSIVAR_PROJECT_VERSION "-windows-" + GetParam().name + ".zip"; }
    std::string prefix() const { return scratch_ + "/prefix"; }
    fs::path driveC() const { return fs::path(prefix()) / "drive_c"; }
    fs::path installDir() const { return driveC() / GetParam().programFiles / "Tessivar"; }

    // msiexec with these arguments, without a display (/qn shows nothing); its exit status.
    std::optional<int> msiexec(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = {wine_.loader, "msiexec"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        auto environment = wineEnvironment(prefix());
        environment["DISPLAY"] = std::nullopt;
        const ToolRun run = runTool(argv, msiexecTimeoutSeconds, environment);
        lastOutput_ = run.output;
        return run.status;
    }

    // Ends the prefix's wineserver, which writes the registry files as it goes.
    void stopServer() {
        if (scratch_.empty()) return;
        runTool({wine_.server, "-k"}, toolTimeoutSeconds, wineEnvironment(prefix()));
        runTool({wine_.server, "-w"}, toolTimeoutSeconds, wineEnvironment(prefix()));
    }

    // Starts exe, waits for its window and first frame, quits it with Ctrl+X: "" or what went wrong.
    std::string runAndQuit(const fs::path& exe) {
        auto program = WineProgram::launch(wine_, GetParam().arch, prefix(), exe.string(), server_->displayName(),
                                           exe.parent_path().string(), scratch_ + "/program-output.txt");
        if (!program) return "could not start Wine";
        const Window frame = waitForWindow(x_->display(), title, wineStartTimeoutSeconds);
        if (!frame) return "no window; Wine said: " + program->process().output();
        const Window client = waitForWineClient(x_->display(), frame, wineStartTimeoutSeconds);
        if (!client) return "the window has no client area";
        View view(*x_, client);
        if (!view.waitFor(firstFrameDrawn, wineStartTimeoutSeconds)) return "no first frame";
        view.typeKey(XK_x, XK_Control_L);
        const std::optional<int> status = program->process().waitForExit(wineExitTimeoutSeconds);
        if (status != std::optional(0))
            return "Ctrl+X did not end it with status 0 (" + (status ? std::to_string(*status) : "still running") +
                   "); Wine said: " + program->process().output();
        return "";
    }

    std::string lastOutput_;
};

// The whole life of an installation, in order: each step needs the one before.
TEST_P(WinePackage, MsiInstallsRunsAndUninstallsWithoutLeavingAFile) {
    const std::set<std::string> before = treeOf(driveC());

    ASSERT_EQ(msiexec({"/i", packageFile(msiName()), "/qn"}), std::optional(0)) << lastOutput_;
    const std::set<std::string> installed = added(before, treeOf(driveC()));
    const std::string dir = GetParam().programFiles + "/Tessivar/";
    for (const char* file : {"tessivar.exe", "README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt"})
        EXPECT_TRUE(installed.count(dir + file)) << dir << file << " not installed; new files:" << listed(installed);
    EXPECT_EQ(readBytes(installDir() / "tessivar.exe"), readBytes(GetParam().exe)) << "not the tested executable";
    // Per machine, the shortcut belongs in ProgramData's Start menu; Wine 8 puts it in the user's.
    const auto shortcut = std::find_if(installed.begin(), installed.end(), [](const std::string& path) {
        return endsWith(path, "/Start Menu/Programs/Tessivar.lnk");
    });
    EXPECT_NE(shortcut, installed.end()) << "no Start-menu shortcut; new files:" << listed(installed);

    stopServer();
    const std::string registry = readText(fs::path(prefix()) / "system.reg");
    const std::string arp =
        registryKey(registry, "\\\\CurrentVersion\\\\Uninstall\\\\", "\"DisplayName\"=\"Tessivar\"");
    EXPECT_NE(arp.find("\"DisplayName\"=\"Tessivar\""), std::string::npos) << "Add/Remove Programs entry:\n" << arp;
    EXPECT_NE(arp.find("\"DisplayVersion\"=\"" TESSIVAR_PROJECT_VERSION "\""), std::string::npos) << arp;
    EXPECT_NE(arp.find("\"Publisher\"=\"The Tessivar developers\""), std::string::npos) << arp;
    EXPECT_NE(registry.find("\"ProductIcon\"=\"C:\\\\windows\\\\Installer\\\\{"), std::string::npos)
        << "no icon for Add/Remove Programs";

    EXPECT_EQ(runAndQuit(installDir() / "tessivar.exe"), "");
    stopServer();

    ASSERT_EQ(msiexec({"/x", packageFile(msiName()), "/qn"}), std::optional(0)) << lastOutput_;
    stopServer();
    // Windows Installer's own cache folder stays, empty, as on Windows.
    std::set<std::string> left = added(before, treeOf(driveC()));
    left.erase("windows/Installer/");
    EXPECT_TRUE(left.empty()) << "left behind:" << listed(left);
    // A per-machine installation records itself in the machine's hive. The user's is left out: when winemenubuilder
    // made desktop entries for the shortcut, Wine's list of them there keeps naming them after the removal.
    const std::string machine = readText(fs::path(prefix()) / "system.reg");
    const size_t at = machine.find("Tessivar");
    EXPECT_EQ(at, std::string::npos) << "system.reg still names Tessivar: ..."
                                     << machine.substr(at < 300 ? 0 : at - 300, 400) << "...";
}

TEST_P(WinePackage, ZipUnpacksIntoOneFolderAndRunsFromThere) {
    const fs::path unpacked = fs::path(scratch_) / "unpacked";
    const ToolRun unzip = runTool({"unzip", "-q", packageFile(zipName()), "-d", unpacked.string()}, toolTimeoutSeconds);
    ASSERT_EQ(unzip.status, std::optional(0)) << unzip.output;

    const std::string folder = "tessivar-" TESSIVAR_PROJECT_VERSION;
    EXPECT_EQ(treeOf(unpacked), (std::set<std::string>{folder + "/", folder + "/LICENSE.txt", folder + "/README.txt",
                                                       folder + "/THIRD-PARTY-NOTICES.txt", folder + "/tessivar.exe"}));
    for (const char* file : {"LICENSE.txt", "README.txt", "THIRD-PARTY-NOTICES.txt"}) {
        const std::string text = readText(unpacked / folder / file);
        EXPECT_FALSE(text.empty()) << file;
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            if (at == 0 || text[at - 1] != '\r') {
                ADD_FAILURE() << file << ": a line ends without CR at byte " << at;
                break;
            }
    }
    EXPECT_EQ(readText(unpacked / folder / "README.txt").find("@VERSION@"), std::string::npos);
    EXPECT_EQ(readBytes((unpacked / folder / "tessivar.exe").string()), readBytes(GetParam().exe))
        << "not the tested executable";

    EXPECT_EQ(runAndQuit(unpacked / folder / "tessivar.exe"), "");
}

INSTANTIATE_TEST_SUITE_P(Packages, WinePackage, ::testing::ValuesIn(packages),
                         [](const ::testing::TestParamInfo<Package>& info) { return info.param.name; });

} // namespace
