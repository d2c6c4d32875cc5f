// Damaged archives: whatever the bytes say, the reader stays inside the file, allocates no more
// than the file holds, ends, and refuses exactly the entries that do not fit. (Hostile values in
// every field byte are the pack harness's, replayed by test_fuzz_replay.)
#include "resources/PackArchive.h"
#include "resources/PackBytes.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

using namespace test;

constexpr std::size_t kSecond = 144 + 5;  // position of the second header

Bytes ThreeEntries() {
    Bytes bytes;
    AddEntry(bytes, "a.lws", "alpha");
    AddEntry(bytes, "b.lwo", std::string(300, 'b'));
    AddEntry(bytes, "c.tga", "charlie");
    AddCount(bytes, 3);
    return bytes;
}

// Opens the bytes and lists the names kept; "refused" when the whole archive is.
std::string Kept(const Bytes& bytes, std::size_t* damageLines = nullptr) {
    ScratchDir dir;
    PackArchive pack;
    if (!pack.Open(dir.Write("d.pak", bytes))) return "refused";
    std::string names;
    for (const PackEntry& e : pack.GetEntries()) names += e.name + " ";
    if (damageLines != nullptr) *damageLines = pack.GetDamage().size();
    return names;
}

TEST(PackDamage, CountPastTheFileOrAllOnes) {
    Bytes bytes = ThreeEntries();
    PutU32(bytes, bytes.size() - 4, 4);  // fits as bare headers, but only three exist
    std::size_t damage = 0;
    EXPECT_EQ(Kept(bytes, &damage), "a.lws b.lwo c.tga ");
    EXPECT_EQ(damage, 1u);
    PutU32(bytes, bytes.size() - 4, 6);  // cannot fit even as bare headers
    EXPECT_EQ(Kept(bytes), "refused");
    PutU32(bytes, bytes.size() - 4, 0xffffffffu);
    EXPECT_EQ(Kept(bytes), "refused");
}

TEST(PackDamage, WrappedOffsetsAndLengths) {
    Bytes bytes = ThreeEntries();
    PutU32(bytes, kSecond + 140, 0xfffffff0u);  // offset + 144 wraps to 128, inside the first header
    EXPECT_EQ(Kept(bytes), "a.lws c.tga ");
    // Stored length and size that would wrap the walk back to offset 0: the walk stops.
    bytes = ThreeEntries();
    PutU32(bytes, kSecond + 128, 0u - static_cast<std::uint32_t>(kSecond + 144));
    PutU32(bytes, kSecond + 132, 0u - static_cast<std::uint32_t>(kSecond + 144));
    EXPECT_EQ(Kept(bytes), "a.lws ");
    // A size beyond the stored length would read the next header as data.
    bytes = ThreeEntries();
    PutU32(bytes, kSecond + 132, 300 + 144);
    EXPECT_EQ(Kept(bytes), "a.lws c.tga ");
    // The last entry's data running into the count, or past the end of the file.
    bytes = ThreeEntries();
    PutU32(bytes, kSecond + 144 + 300 + 128, 7 + 100);
    PutU32(bytes, kSecond + 144 + 300 + 132, 7 + 100);
    EXPECT_EQ(Kept(bytes), "a.lws b.lwo ");
}

TEST(PackDamage, MissingNulRefusesOnlyThatEntryAndEmptyFilesAreRefused) {
    Bytes bytes;
    AddEntry(bytes, "a.lws", "alpha");
    AddEntry(bytes, std::string(128, 'x'), "no terminator");
    AddEntry(bytes, "c.tga", "charlie");
    AddCount(bytes, 3);
    EXPECT_EQ(Kept(bytes), "a.lws c.tga ");
    EXPECT_EQ(Kept({}), "refused");
    EXPECT_EQ(Kept({0, 0, 0}), "refused");
    // An entry of no bytes is sound.
    bytes.clear();
    AddEntry(bytes, "none.txt", "");
    AddEntry(bytes, "after.txt", "x");
    AddCount(bytes, 2);
    std::size_t damage = 1;
    EXPECT_EQ(Kept(bytes, &damage), "none.txt after.txt ");
    EXPECT_EQ(damage, 0u);
}

}  // namespace
}  // namespace cm
