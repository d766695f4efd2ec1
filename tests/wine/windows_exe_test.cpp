// The Windows executables as built: what kind of program each is, what it imports and what its resources hold,
// read from the files with file(1), objdump and icoutils' wrestool.
#include <gtest/gtest.h>

#include "child_process.h"
#include "resource_ids.h"
#include "test_files.h"
#include "wine_program.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace {

constexpr int kRtIcon = 3, kRtAccelerator = 9, kRtGroupIcon = 14, kRtVersion = 16, kRtManifest = 24;
constexpr int kVsVersionInfo = 1;
constexpr double toolTimeoutSeconds = 30.0;

struct Executable {
    std::string name;
    std::string path;
    std::string fileType; // how file(1)'s description of it begins
};

std::ostream& operator<<(std::ostream& out, const Executable& exe) { return out << exe.name; }

const Executable executables[] = {
    {"i686", TESSIVAR_WINDOWS_SHIPPED_EXE, "PE32 executable (GUI) Intel 80386"},
    {"x86_64", TESSIVAR_WINDOWS_EXE, "PE32+ executable (GUI) x86-64"},
};

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

// The names after "DLL Name:" in objdump -p's import tables.
std::set<std::string> importedDlls(const std::string& objdumpOutput) {
    std::set<std::string> dlls;
    std::istringstream lines(objdumpOutput);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find("DLL Name: ");
        if (at != std::string::npos) dlls.insert(upper(line.substr(at + 10)));
    }
    return dlls;
}

// The numeric type and name of every resource in wrestool -l's listing ("--type=3 --name=1 --language=...").
std::multimap<int, int> resourceList(const std::string& listing) {
    std::multimap<int, int> resources;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        int type = 0, name = 0;
        if (std::sscanf(line.c_str(), "--type=%d --name=%d", &type, &name) == 2) resources.emplace(type, name);
    }
    return resources;
}

// The names of the elements of an XML text in document order, and each one's attributes.
struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
};

std::vector<XmlElement> xmlElements(const std::string& xml) {
    std::vector<XmlElement> elements;
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        if (at + 1 >= xml.size() || xml[at + 1] == '/' || xml[at + 1] == '?' || xml[at + 1] == '!') continue;
        const size_t end = xml.find('>', at);
        if (end == std::string::npos) break;
        std::istringstream tag(xml.substr(at + 1, end - at - 1));
        XmlElement element;
        tag >> element.name;
        for (std::string attribute; tag >> attribute;) {
            const size_t equals = attribute.find('=');
            if (equals == std::string::npos) continue;
            std::string value = attribute.substr(equals + 1);
            value.erase(std::remove(value.begin(), value.end(), '/'), value.end());
            value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
            element.attributes[attribute.substr(0, equals)] = value;
        }
        elements.push_back(element);
    }
    return elements;
}

// One node of a VS_VERSIONINFO tree: WORD wLength, WORD wValueLength, WORD wType (1 text, 0 binary), the key in
// UTF-16 with its NUL, padding to 4 bytes, the value (wValueLength counts characters for text, bytes otherwise),
// padding to 4 bytes, then the children up to wLength.
struct VersionNode {
    std::string key;
    std::vector<uint8_t> value; // as stored
    std::string text;           // the value of a text node, without its NUL (ASCII only)
    std::vector<VersionNode> children;

    const VersionNode* child(const std::string& name) const {
        for (const VersionNode& c : children)
            if (upper(c.key) == upper(name)) return &c;
        return nullptr;
    }
};

// The node at `at`, or nullopt where a length or the key runs past `end`.
std::optional<VersionNode> parseVersionNode(const std::vector<uint8_t>& bytes, size_t at, size_t end) {
    const auto align = [](size_t n) { return (n + 3) & ~size_t{3}; };
    if (at + 6 > end) return std::nullopt;
    const size_t length = le16(bytes, at), valueLength = le16(bytes, at + 2), type = le16(bytes, at + 4);
    if (length < 6 || at + length > end || type > 1) return std::nullopt;
    const size_t nodeEnd = at + length;
    VersionNode node;
    size_t p = at + 6;
    for (;; p += 2) {
        if (p + 2 > nodeEnd) return std::nullopt;
        const uint32_t c = le16(bytes, p);
        if (c == 0) break;
        node.key += c < 0x80 ? static_cast<char>(c) : '?';
    }
    p = align(p + 2);
    const size_t valueBytes = type == 1 ? 2 * valueLength : valueLength;
    if (p + valueBytes > nodeEnd) return std::nullopt;
    node.value.assign(bytes.begin() + p, bytes.begin() + p + valueBytes);
    if (type == 1)
        for (size_t i = 0; i + 1 < valueBytes && le16(node.value, i) != 0; i += 2)
            node.text += le16(node.value, i) < 0x80 ? static_cast<char>(le16(node.value, i)) : '?';
    for (p = align(p + valueBytes); p < nodeEnd; p = align(p)) {
        auto child = parseVersionNode(bytes, p, nodeEnd);
        if (!child) return std::nullopt;
        p += le16(bytes, p);
        node.children.push_back(std::move(*child));
    }
    return node;
}

// "1.2.3" as VS_FIXEDFILEINFO's two DWORDs: major << 16 | minor, patch << 16 | 0.
std::pair<uint32_t, uint32_t> versionWords(const std::string& version) {
    unsigned major = 0, minor = 0, patch = 0;
    EXPECT_EQ(std::sscanf(version.c_str(), "%u.%u.%u", &major, &minor, &patch), 3) << version;
    return {major << 16 | minor, patch << 16};
}

// The line of LICENSE that starts with "Copyright ".
std::string copyrightLine() {
    std::ifstream license(TESSIVAR_LICENSE_FILE);
    for (std::string line; std::getline(license, line);)
        if (line.rfind("Copyright ", 0) == 0) return line;
    return "";
}

class WindowsExecutable : public ::testing::TestWithParam<Executable> {
protected:
    void SetUp() override {
        exe_ = GetParam().path;
        if (exe_.empty() || !std::filesystem::is_regular_file(exe_)) {
            const std::string why =
                "no " + GetParam().name + " executable at \"" + exe_ + "\" (bash scripts/build-windows.sh builds it)";
            if (windowsTestsRequired()) FAIL() << why;
            GTEST_SKIP() << why;
        }
        char pattern[] = "/tmp/tessivar-exe-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        scratch_ = made;
    }

    void TearDown() override {
        if (!scratch_.empty()) std::filesystem::remove_all(scratch_);
    }

    // What a tool said about the executable; fails the test if it did not end with status 0.
    std::string run(std::vector<std::string> argv) {
        argv.push_back(exe_);
        const ToolRun result = runTool(argv, toolTimeoutSeconds);
        EXPECT_EQ(result.status, 0) << argv[0] << " said: " << result.output;
        return result.output;
    }

    // One resource's bytes as stored (wrestool --raw).
    std::vector<uint8_t> resource(int type, int name) {
        const std::string file = scratch_ + "/" + std::to_string(type) + "-" + std::to_string(name);
        run({"wrestool", "--extract", "--raw", "--type=" + std::to_string(type), "--name=" + std::to_string(name),
             "--output=" + file});
        return readBytes(file);
    }

    std::string exe_;
    std::string scratch_;
};

TEST_P(WindowsExecutable, IsAWindowsGuiProgramForItsProcessor) {
    const std::string type = run({"file", "--brief"});
    EXPECT_EQ(type.find(GetParam().fileType), 0u) << type;
}

// Static through and through: no C++ runtime, pthread, GLEW, FTGL or FreeType DLL to ship alongside.
TEST_P(WindowsExecutable, ImportsOnlyDllsThatWindowsShips) {
    const std::set<std::string> expected = {"OPENGL32.DLL", "GLU32.DLL",    "GDI32.DLL",
                                            "USER32.DLL",   "KERNEL32.DLL", "MSVCRT.DLL"};
    EXPECT_EQ(importedDlls(run({"objdump", "-p"})), expected);
}

TEST_P(WindowsExecutable, HoldsTheIconGroupTheAcceleratorsTheVersionAndTheManifestAndNothingElse) {
    const std::multimap<int, int> resources = resourceList(run({"wrestool", "--list"}));
    EXPECT_EQ(resources.count(kRtIcon), 4u) << "one icon image per size";
    EXPECT_EQ(resources.count(kRtGroupIcon), 1u);
    EXPECT_EQ(resources.count(kRtAccelerator), 1u);
    EXPECT_EQ(resources.count(kRtVersion), 1u);
    EXPECT_EQ(resources.count(kRtManifest), 1u);
    EXPECT_EQ(resources.size(), 8u);
    const auto name = [&](int type) { return resources.count(type) ? resources.find(type)->second : -1; };
    EXPECT_EQ(name(kRtGroupIcon), IDI_TESSIVAR);
    EXPECT_EQ(name(kRtAccelerator), IDR_ACCELERATORS);
    EXPECT_EQ(name(kRtVersion), kVsVersionInfo);
    EXPECT_EQ(name(kRtManifest), IDR_MANIFEST);
}

// What Explorer's Details tab and installers show: the project's version in the fixed part and in the strings of
// the one language the translation table names, and the copyright line of LICENSE.
TEST_P(WindowsExecutable, VersionResourceCarriesTheProjectVersionAndNames) {
    const std::vector<uint8_t> bytes = resource(kRtVersion, kVsVersionInfo);
    const std::optional<VersionNode> root = parseVersionNode(bytes, 0, bytes.size());
    ASSERT_TRUE(root) << "not a well-formed VS_VERSIONINFO";
    EXPECT_EQ(root->key, "VS_VERSION_INFO");

    // VS_FIXEDFILEINFO: signature, struct version, file version (2 DWORDs), product version (2 DWORDs), flags
    // mask, flags, OS, type, subtype, date (2 DWORDs).
    ASSERT_EQ(root->value.size(), 52u);
    const std::vector<uint8_t>& fixed = root->value;
    EXPECT_EQ(le32(fixed, 0), 0xFEEF04BDu) << "signature";
    const auto [versionHigh, versionLow] = versionWords(TESSIVAR_PROJECT_VERSION);
    EXPECT_EQ(le32(fixed, 8), versionHigh) << "file version, major and minor";
    EXPECT_EQ(le32(fixed, 12), versionLow) << "file version, patch";
    EXPECT_EQ(le32(fixed, 16), versionHigh) << "product version";
    EXPECT_EQ(le32(fixed, 20), versionLow);
    EXPECT_EQ(le32(fixed, 28), 0u) << "no debug, prerelease or patched flag";
    EXPECT_EQ(le32(fixed, 32), 0x40004u) << "VOS_NT_WINDOWS32";
    EXPECT_EQ(le32(fixed, 36), 1u) << "VFT_APP";

    const VersionNode* translations =
        root->child("VarFileInfo") ? root->child("VarFileInfo")->child("Translation") : nullptr;
    ASSERT_TRUE(translations);
    ASSERT_EQ(translations->value.size(), 4u) << "one language";
    char table[9];
    std::snprintf(table, sizeof table, "%04X%04X", le16(translations->value, 0), le16(translations->value, 2));
    EXPECT_EQ(std::string(table), "040904B0") << "US English, UTF-16";

    const VersionNode* strings = root->child("StringFileInfo") ? root->child("StringFileInfo")->child(table) : nullptr;
    ASSERT_TRUE(strings) << "no string table " << table;
    std::map<std::string, std::string> values;
    for (const VersionNode& entry : strings->children) values[entry.key] = entry.text;
    const std::string copyright = copyrightLine();
    ASSERT_FALSE(copyright.empty()) << "LICENSE has no copyright line";
    EXPECT_EQ(values, (std::map<std::string, std::string>{
                          {"FileDescription", "Tessivar angle gauge"},
                          {"FileVersion", TESSIVAR_PROJECT_VERSION},
                          {"LegalCopyright", copyright},
                          {"OriginalFilename", "tessivar.exe"},
                          {"ProductName", "Tessivar"},
                          {"ProductVersion", TESSIVAR_PROJECT_VERSION},
                      }));
}

// GRPICONDIR (6 bytes) and a 14-byte GRPICONDIRENTRY per image, largest first: a 256 x 256 PNG, then 48, 32
// and 16 as 32-bit DIBs (BITMAPINFOHEADER, XOR pixels, AND mask); every entry points at its RT_ICON by id.
TEST_P(WindowsExecutable, IconGroupHolds256AsPngAnd48_32_16As32BitBitmaps) {
    const std::vector<uint8_t> group = resource(kRtGroupIcon, IDI_TESSIVAR);
    ASSERT_EQ(group.size(), 6u + 4 * 14);
    EXPECT_EQ(le16(group, 0), 0u);
    EXPECT_EQ(le16(group, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(le16(group, 4), 4u);

    const unsigned sizes[] = {256, 48, 32, 16};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("image " + std::to_string(sizes[i]));
        const size_t entry = 6 + 14 * i;
        const unsigned size = sizes[i];
        EXPECT_EQ(group[entry], size % 256) << "width (0 stands for 256)";
        EXPECT_EQ(group[entry + 1], size % 256) << "height";
        EXPECT_EQ(le16(group, entry + 4), 1u) << "planes";
        EXPECT_EQ(le16(group, entry + 6), 32u) << "bits per pixel";
        const std::vector<uint8_t> image = resource(kRtIcon, static_cast<int>(le16(group, entry + 12)));
        ASSERT_EQ(image.size(), le32(group, entry + 8)) << "the entry's byte count";
        if (size == 256) {
            const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
            ASSERT_GT(image.size(), 26u);
            EXPECT_TRUE(std::equal(signature.begin(), signature.end(), image.begin())) << "not PNG-compressed";
            EXPECT_EQ(be32(image, 16), 256u);
            EXPECT_EQ(be32(image, 20), 256u);
            EXPECT_EQ(image[24], 8) << "bits per channel";
            EXPECT_EQ(image[25], 6) << "PNG colour type: RGBA";
        } else {
            const size_t maskRow = (size + 31) / 32 * 4;
            EXPECT_EQ(le32(image, 0), 40u) << "BITMAPINFOHEADER";
            EXPECT_EQ(le32(image, 4), size);
            EXPECT_EQ(le32(image, 8), 2 * size) << "the height counts the XOR and the AND mask";
            EXPECT_EQ(le16(image, 12), 1u);
            EXPECT_EQ(le16(image, 14), 32u) << "biBitCount";
            EXPECT_EQ(image.size(), 40 + size * size * 4 + maskRow * size);
        }
    }
}

// ACCELTABLEENTRY: fFlags, wAnsi, wId, padding, 8 bytes; 0x80 in fFlags marks the last entry.
TEST_P(WindowsExecutable, AcceleratorTableIsCtrlXForExitAlone) {
    constexpr unsigned fVirtKey = 0x01, fNoInvert = 0x02, fControl = 0x08, lastEntry = 0x80;
    const std::vector<uint8_t> table = resource(kRtAccelerator, IDR_ACCELERATORS);
    ASSERT_EQ(table.size(), 8u) << "exactly one entry";
    EXPECT_EQ(le16(table, 0), fVirtKey | fControl | fNoInvert | lastEntry);
    EXPECT_EQ(le16(table, 2), unsigned{'X'}) << "virtual key X";
    EXPECT_EQ(le16(table, 4), unsigned{IDM_EXIT});
    EXPECT_EQ(le16(table, 6), 0u);
}

TEST_P(WindowsExecutable, ManifestAsksForTheInvokersRightsAndNothingElse) {
    const std::vector<uint8_t> bytes = resource(kRtManifest, IDR_MANIFEST);
    EXPECT_EQ(bytes, readBytes(TESSIVAR_MANIFEST_FILE)) << "the manifest of res/ verbatim";

    const std::vector<XmlElement> elements = xmlElements(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> names;
    for (const XmlElement& element : elements) names.push_back(element.name);
    EXPECT_EQ(names, (std::vector<std::string>{"assembly", "trustInfo", "security", "requestedPrivileges",
                                               "requestedExecutionLevel"}))
        << "no dependency, compatibility or DPI settings";
    ASSERT_FALSE(elements.empty());
    EXPECT_EQ(elements.back().attributes,
              (std::map<std::string, std::string>{{"level", "asInvoker"}, {"uiAccess", "false"}}));
}

INSTANTIATE_TEST_SUITE_P(Builds, WindowsExecutable, ::testing::ValuesIn(executables),
                         [](const ::testing::TestParamInfo<Executable>& info) { return info.param.name; });

} // namespace
