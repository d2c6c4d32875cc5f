// What the build ships: the same bytes on every build (pinned by hash, so changing an asset is a
// deliberate act), the loose files under bin/data, and kelvarin.pak holding every file the parts
// and scenes name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "TestShow.h"
#include "common/Files.h"
#include "common/Fnv1a.h"
#include "resources/PackArchive.h"

namespace cm::content::test {
namespace {

// Regenerate with: build/<dir>/bin/test_content --gtest_filter=*Pinned* and copy the printed lines.
const std::map<std::string, uint64_t> kPinned = {
#include "ContentHashes.inc"
};

TEST(ShippedData, EveryFileMatchesItsPinnedHashAndRebuildsIdentically) {
    const ShowData again = BuildShow();
    EXPECT_TRUE(again.files == Show().files) << "two builds differ";
    std::string current;
    for (const auto& [name, bytes] : Show().files) {
        const uint64_t hash = cm::test::Fnv1a64(bytes.data(), bytes.size());
        char entry[160];
        const int n = std::snprintf(entry, sizeof entry, "{\"%s\", 0x%016llxULL},", name.c_str() + 5,
                                    static_cast<unsigned long long>(hash));
        // Two entries a line, as ContentHashes.inc keeps them.
        if (current.empty() || current.back() == '\n') {
            current += "    " + std::string(entry) + std::string(size_t(std::max(1, 49 - n)), ' ');
        } else {
            current += std::string(entry) + "\n";
        }
        const auto it = kPinned.find(name.substr(5));
        EXPECT_TRUE(it != kPinned.end() && it->second == hash) << name << " changed or is not pinned";
    }
    EXPECT_EQ(kPinned.size(), Show().files.size());
    if (HasFailure()) std::printf("Pinned hashes of this build:\n%s\n", current.c_str());
}

TEST(ShippedData, PartsFindEveryFileTheyNameInThePackAndOnDisk) {
    for (const char* name : kPartFiles) EXPECT_TRUE(Show().files.count(name)) << name;

    const std::filesystem::path bin = std::filesystem::path(CM_BINARY_DIR) / "bin";
    PackArchive pack;
    std::string error;
    ASSERT_TRUE(pack.Open((bin / "kelvarin.pak").string(), &error)) << error;
    EXPECT_TRUE(pack.GetDamage().empty());
    EXPECT_EQ(pack.GetEntries().size(), Show().files.size());
    for (const auto& [name, bytes] : Show().files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(pack.Select(name));
        EXPECT_TRUE(pack.Read(*pack.GetCurrentEntry()) == bytes) << "pack entry differs from this build";
        EXPECT_TRUE(cm::test::ReadBytes(bin / "data" / name.substr(5)) == bytes)
            << "loose file differs from this build";
    }
}

}  // namespace
}  // namespace cm::content::test
