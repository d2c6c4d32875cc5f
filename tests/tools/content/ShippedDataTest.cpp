// What the build ships: the same bytes on every build (pinned by hash, so changing an asset is a
// deliberate act), the loose files under bin/data, and kelvarin.pak holding every file the parts
// and scenes name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "TestShow.h"
#include "common/Fnv1a.h"
#include "resources/PackArchive.h"

namespace cm::content::test {
namespace {

namespace fs = std::filesystem;

uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) { return cm::test::Fnv1a64(bytes.data(), bytes.size()); }

// Regenerate with: build/<dir>/bin/test_content --gtest_filter=*Pinned* and copy the printed lines.
const std::map<std::string, uint64_t> kPinned = {
#include "ContentHashes.inc"
};

TEST(ShippedData, EveryFileMatchesItsPinnedHashAndRebuildsIdentically) {
    const ShowData again = BuildShow();
    EXPECT_TRUE(again.files == Show().files) << "two builds differ";
    std::string current;
    for (const auto& [name, bytes] : Show().files) {
        char line[160];
        std::snprintf(line, sizeof line, "    {\"%s\", 0x%016llxULL},\n", name.c_str() + 5,
                      static_cast<unsigned long long>(Fnv1a64(bytes)));
        current += line;
        auto it = kPinned.find(name.substr(5));
        if (it == kPinned.end()) {
            ADD_FAILURE() << name << " has no pinned hash";
        } else {
            EXPECT_EQ(it->second, Fnv1a64(bytes)) << name << " changed";
        }
    }
    EXPECT_EQ(kPinned.size(), Show().files.size());
    if (HasFailure()) std::printf("Pinned hashes of this build:\n%s", current.c_str());
}

TEST(ShippedData, PartsFindEveryFileTheyNameInThePackAndOnDisk) {
    for (const char* name : kPartFiles) EXPECT_TRUE(Show().files.count(name)) << name;

    const fs::path bin = fs::path(CM_BINARY_DIR) / "bin";
    PackArchive pack;
    std::string error;
    ASSERT_TRUE(pack.Open((bin / "kelvarin.pak").string(), &error)) << error;
    EXPECT_TRUE(pack.GetDamage().empty());
    EXPECT_EQ(pack.GetEntries().size(), Show().files.size());
    for (const auto& [name, bytes] : Show().files) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(pack.Select(name));
        EXPECT_TRUE(pack.Read(*pack.GetCurrentEntry()) == bytes) << "pack entry differs from this build";
        std::ifstream in(bin / "data" / name.substr(5), std::ios::binary);
        ASSERT_TRUE(in) << "loose file missing";
        EXPECT_TRUE(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()) == bytes)
            << "loose file differs from this build";
    }
}

}  // namespace
}  // namespace cm::content::test
