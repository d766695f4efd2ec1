// The accelerator table as the Linux layer sees it, and the resource-script reader it comes from.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "rc_script.h"
#include "resource_data.h"
#include "resource_ids.h"

namespace {

constexpr uint8_t kVirtKey = 1, kNoInvert = 2, kShift = 4, kControl = 8, kAlt = 16;

TEST(AcceleratorTable, CtrlXExitsAndNothingElse) {
    int count = 0;
    const AcceleratorEntry* entries = findAcceleratorTable(IDR_ACCELERATORS, &count);
    ASSERT_NE(entries, nullptr);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(entries[0].flags, kVirtKey | kControl | kNoInvert);
    EXPECT_EQ(entries[0].key, 'X'); // VK_X
    EXPECT_EQ(entries[0].command, 40003);
    EXPECT_EQ(entries[0].command, IDM_EXIT);
}

TEST(AcceleratorTable, UnknownIdGivesNothing) {
    int count = 5;
    EXPECT_EQ(findAcceleratorTable(IDI_TESSIVAR, &count), nullptr);
    EXPECT_EQ(count, 0);
    count = 5;
    EXPECT_EQ(findAcceleratorTable(IDR_ACCELERATORS + 1, &count), nullptr);
    EXPECT_EQ(count, 0);
}

RcScript read(const std::string& script) { return readRcScript(script, {{"ID_TABLE", 7}, {"ID_CMD", 0x9C43}}); }

RcAccelerator onlyEntry(const std::string& line) {
    const RcScript script = read("ID_TABLE ACCELERATORS\nBEGIN\n" + line + "\nEND\n");
    EXPECT_EQ(script.acceleratorTables.size(), 1u);
    EXPECT_EQ(script.acceleratorTables.at(0).entries.size(), 1u);
    return script.acceleratorTables.at(0).entries.at(0);
}

TEST(RcScriptReader, MapsEachOptionToItsFlag) {
    EXPECT_EQ(onlyEntry("\"A\", 1, VIRTKEY").flags, kVirtKey);
    EXPECT_EQ(onlyEntry("\"A\", 1, VIRTKEY, SHIFT").flags, kVirtKey | kShift);
    EXPECT_EQ(onlyEntry("\"A\", 1, VIRTKEY, CONTROL").flags, kVirtKey | kControl);
    EXPECT_EQ(onlyEntry("\"A\", 1, VIRTKEY, ALT").flags, kVirtKey | kAlt);
    EXPECT_EQ(onlyEntry("\"A\", 1, NOINVERT, VIRTKEY").flags, kVirtKey | kNoInvert);
    EXPECT_EQ(onlyEntry("\"a\", 1").flags, 0);
    EXPECT_EQ(onlyEntry("\"a\", 1, ASCII, ALT").flags, kAlt);
}

TEST(RcScriptReader, KeepsKeyAndCommandApart) {
    const RcAccelerator entry = onlyEntry("\"Q\", ID_CMD, VIRTKEY");
    EXPECT_EQ(entry.key, 'Q');
    EXPECT_EQ(entry.command, 40003);

    const RcAccelerator numeric = onlyEntry("0x70, 12, VIRTKEY"); // VK_F1
    EXPECT_EQ(numeric.key, 0x70);
    EXPECT_EQ(numeric.command, 12);
    EXPECT_EQ(onlyEntry("\"a\", 3").key, 'a');
}

TEST(RcScriptReader, ReadsSeveralEntriesAndTablesInOrder) {
    const RcScript script = read("ID_TABLE ACCELERATORS { \"A\", 1, VIRTKEY\n \"B\", 2, VIRTKEY, SHIFT }\n"
                                 "8 ACCELERATORS BEGIN 0x2E, 3, VIRTKEY END\n");
    ASSERT_EQ(script.acceleratorTables.size(), 2u);
    EXPECT_EQ(script.acceleratorTables[0].id, 7);
    ASSERT_EQ(script.acceleratorTables[0].entries.size(), 2u);
    EXPECT_EQ(script.acceleratorTables[0].entries[1].key, 'B');
    EXPECT_EQ(script.acceleratorTables[0].entries[1].command, 2);
    EXPECT_EQ(script.acceleratorTables[0].entries[1].flags, kVirtKey | kShift);
    EXPECT_EQ(script.acceleratorTables[1].id, 8);
    EXPECT_EQ(script.acceleratorTables[1].entries.at(0).key, 0x2E);
}

TEST(RcScriptReader, SkipsCommentsPreprocessorLinesAndOtherResources) {
    const RcScript script = read("#include \"ids.h\"\n"
                                 "// ID_TABLE ACCELERATORS\n"
                                 "/* 9 ACCELERATORS\n BEGIN END */\n"
                                 "1 24 \"app.manifest\"\n"
                                 "2 VERSIONINFO FILEVERSION BEGIN BLOCK \"x\" BEGIN END END\n"
                                 "ID_TABLE ICON \"app.ico\"\n");
    EXPECT_TRUE(script.acceleratorTables.empty());
    ASSERT_EQ(script.icons.size(), 1u);
    EXPECT_EQ(script.icons[0].id, 7);
    EXPECT_EQ(script.icons[0].file, "app.ico");
}

TEST(RcScriptReader, RejectsWhatItCannotMapFaithfully) {
    EXPECT_THROW(onlyEntry("\"x\", 1, VIRTKEY"), RcError) << "lower-case virtual key is VK_NUMPAD8";
    EXPECT_THROW(onlyEntry("\"A\", 1, CONTROL"), RcError) << "CONTROL without VIRTKEY";
    EXPECT_THROW(onlyEntry("\"A\", UNKNOWN_ID, VIRTKEY"), RcError);
    EXPECT_THROW(onlyEntry("\"AB\", 1, VIRTKEY"), RcError);
    EXPECT_THROW(onlyEntry("\"A\", 1, VIRTKEY, HOTKEY"), RcError);
    EXPECT_THROW(onlyEntry("\"A\", 70000, VIRTKEY"), RcError);
    EXPECT_THROW(read("ID_TABLE ACCELERATORS BEGIN \"A\", 1, VIRTKEY\n"), RcError) << "missing END";
    EXPECT_THROW(read("ID_TABLE ICON app.ico\n"), RcError);
}

TEST(RcScriptReader, ErrorsNameTheLine) {
    try {
        read("ID_TABLE ACCELERATORS\nBEGIN\n\n\"A\", 1, SHIFT\nEND\n");
        FAIL() << "no error";
    } catch (const RcError& error) {
        EXPECT_NE(std::string(error.what()).find("line 4"), std::string::npos) << error.what();
    }
}

TEST(RcScriptReader, ReadsOnlyPlainNumericDefines) {
    const RcDefines defines = readDefines("#ifndef GUARD\n#define GUARD\n#define A 101\n#define B 0x10\n"
                                          "#define C (1 + 2)\n  #define D 7\nint x;\n");
    EXPECT_EQ(defines.size(), 3u);
    EXPECT_EQ(defines.at("A"), 101);
    EXPECT_EQ(defines.at("B"), 16);
    EXPECT_EQ(defines.at("D"), 7);
}

std::string manifestText() {
    std::ifstream in(TESSIVAR_MANIFEST_FILE);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Manifest, AsksForTheCallersRightsAndNothingElse) {
    const std::string manifest = manifestText();
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    for (const char* absent : {"dpiAware", "dpiAwareness", "supportedOS", "dependency", "compatibility"})
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
}

} // namespace
