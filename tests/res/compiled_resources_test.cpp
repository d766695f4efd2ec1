// tessivar.rc as a real resource compiler builds it: the same accelerators, icon and manifest.

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "resource_data.h"
#include "resource_ids.h"
#include "test_files.h"

namespace {

constexpr int kRtIcon = 3, kRtAccelerator = 9, kRtGroupIcon = 14, kRtManifest = 24;
constexpr uint16_t kLastEntryFlag = 0x80;

using ResourceKey = std::pair<int, int>; // type, id

// Resources of a .res file with numeric type and name; the leading empty entry is skipped.
std::map<ResourceKey, std::vector<uint8_t>> readResFile(const std::vector<uint8_t>& res) {
    std::map<ResourceKey, std::vector<uint8_t>> resources;
    for (size_t at = 0; at + 32 <= res.size();) {
        const uint32_t dataSize = le32(res, at);
        const uint32_t headerSize = le32(res, at + 4);
        if (le16(res, at + 8) == 0xFFFF && le16(res, at + 12) == 0xFFFF && dataSize > 0) {
            const auto data = res.begin() + at + headerSize;
            resources[{static_cast<int>(le16(res, at + 10)), static_cast<int>(le16(res, at + 14))}] =
                std::vector<uint8_t>(data, data + dataSize);
        }
        at = (at + headerSize + dataSize + 3) & ~size_t{3};
    }
    return resources;
}

class CompiledResources : public ::testing::Test {
protected:
    void SetUp() override {
        resources = readResFile(readBytes(TESSIVAR_COMPILED_RESOURCES));
        ASSERT_FALSE(resources.empty());
    }

    const std::vector<uint8_t>& resource(int type, int id) {
        static const std::vector<uint8_t> none;
        const auto found = resources.find({type, id});
        return found == resources.end() ? none : found->second;
    }

    std::map<ResourceKey, std::vector<uint8_t>> resources;
};

TEST_F(CompiledResources, AcceleratorTableMatchesTheLinuxTable) {
    const std::vector<uint8_t>& table = resource(kRtAccelerator, IDR_ACCELERATORS);
    int count = 0;
    const AcceleratorEntry* entries = findAcceleratorTable(IDR_ACCELERATORS, &count);
    ASSERT_NE(entries, nullptr);
    ASSERT_EQ(table.size(), 8u * count);
    for (int i = 0; i < count; ++i) {
        const uint16_t last = i == count - 1 ? kLastEntryFlag : 0;
        EXPECT_EQ(le16(table, 8 * i), entries[i].flags | last);
        EXPECT_EQ(le16(table, 8 * i + 2), entries[i].key);
        EXPECT_EQ(le16(table, 8 * i + 4), entries[i].command);
    }
}

TEST_F(CompiledResources, IconGroupCarriesTheIcoImagesInOrder) {
    const std::vector<uint8_t> ico = readBytes(TESSIVAR_ICON_FILE);
    const std::vector<uint8_t>& group = resource(kRtGroupIcon, IDI_TESSIVAR);
    ASSERT_EQ(group.size(), 6u + 4 * 14);
    EXPECT_EQ(le16(group, 2), 1u);
    ASSERT_EQ(le16(group, 4), 4u);
    for (int i = 0; i < 4; ++i) {
        const size_t entry = 6 + 14 * i;
        const size_t icoEntry = 6 + 16 * i;
        EXPECT_EQ(group[entry], ico[icoEntry]) << "width of image " << i;
        EXPECT_EQ(le32(group, entry + 8), le32(ico, icoEntry + 8)) << "size of image " << i;
        const std::vector<uint8_t>& image = resource(kRtIcon, static_cast<int>(le16(group, entry + 12)));
        const auto icoImage = ico.begin() + le32(ico, icoEntry + 12);
        EXPECT_TRUE(image.size() == le32(ico, icoEntry + 8) && std::equal(image.begin(), image.end(), icoImage))
            << "bytes of image " << i;
    }
}

TEST_F(CompiledResources, ManifestIsResourceOneVerbatim) {
    const std::vector<uint8_t>& manifest = resource(kRtManifest, IDR_MANIFEST);
    EXPECT_EQ(manifest, readBytes(TESSIVAR_MANIFEST_FILE));
    EXPECT_FALSE(manifest.empty());
}

} // namespace
