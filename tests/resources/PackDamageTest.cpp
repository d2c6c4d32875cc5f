// Damaged archives: whatever the bytes say, the reader stays inside the file, allocates no more
// than the file holds, ends, and refuses exactly the entries that do not fit.
#include "resources/PackArchive.h"
#include "resources/PackBytes.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

using test::AddCount;
using test::AddEntry;
using test::Bytes;
using test::PutU32;
using test::Text;

Bytes ThreeEntries() {
    Bytes bytes;
    AddEntry(bytes, "a.lws", "alpha");
    AddEntry(bytes, "b.lwo", "bravo!");
    AddEntry(bytes, "c.tga", "charlie");
    AddCount(bytes, 3);
    return bytes;
}

constexpr std::size_t kSecondHeader = 144 + 5;

std::vector<std::string> Names(const PackArchive& pack) {
    std::vector<std::string> names;
    for (const PackEntry& e : pack.GetEntries()) names.push_back(e.name);
    return names;
}

TEST(PackDamage, CountPastTheFileKeepsTheEntriesThatExist) {
    test::ScratchDir dir;
    // Room for three bare headers, but the second entry's data fills it: one header exists.
    Bytes bytes;
    AddEntry(bytes, "a.lws", "alpha");
    AddEntry(bytes, "big.tga", std::string(300, 'b'));
    AddCount(bytes, 3);
    PackArchive pack;
    ASSERT_TRUE(pack.Open(dir.Write("a.pak", bytes)));
    EXPECT_EQ(Names(pack), (std::vector<std::string>{"a.lws", "big.tga"}));
    ASSERT_EQ(pack.GetDamage().size(), 1u);
    EXPECT_NE(pack.GetDamage()[0].find("1 of 3 entries missing"), std::string::npos) << pack.GetDamage()[0];

    // A count that could not fit even as bare headers refuses the archive, without allocating.
    PutU32(bytes, bytes.size() - 4, 0x7fffffff);
    std::string error;
    EXPECT_FALSE(pack.Open(dir.Write("b.pak", bytes), &error));
    EXPECT_NE(error.find("cannot fit"), std::string::npos) << error;
    EXPECT_TRUE(pack.GetEntries().empty());
}

TEST(PackDamage, CountAllOnesIsRefused) {
    test::ScratchDir dir;
    Bytes bytes = ThreeEntries();
    PutU32(bytes, bytes.size() - 4, 0xffffffffu);
    PackArchive pack;
    EXPECT_FALSE(pack.Open(dir.Write("a.pak", bytes)));
    EXPECT_FALSE(MountPack((dir.path / "a.pak").string().c_str()));
}

TEST(PackDamage, WrappedOffsetAndLengthAreRefused) {
    test::ScratchDir dir;
    // An offset whose data position (offset + 144) wraps 32 bits to inside the file.
    Bytes bytes = ThreeEntries();
    PutU32(bytes, kSecondHeader + 140, 0xffffffffu - 143 + static_cast<std::uint32_t>(kSecondHeader));
    PackArchive pack;
    ASSERT_TRUE(pack.Open(dir.Write("a.pak", bytes)));
    EXPECT_EQ(Names(pack), (std::vector<std::string>{"a.lws", "c.tga"}));
    EXPECT_EQ(pack.GetDamage().size(), 1u);

    // A stored length and size that wrap the walk back to offset 0: the walk must stop, not loop.
    bytes = ThreeEntries();
    const std::uint32_t wrap = 0u - static_cast<std::uint32_t>(kSecondHeader + 144);
    PutU32(bytes, kSecondHeader + 128, wrap);
    PutU32(bytes, kSecondHeader + 132, wrap);
    ASSERT_TRUE(pack.Open(dir.Write("b.pak", bytes)));
    EXPECT_EQ(Names(pack), (std::vector<std::string>{"a.lws"}));
    EXPECT_EQ(pack.GetDamage().size(), 1u);
}

TEST(PackDamage, SizeBeyondStoredLengthIsRefused) {
    test::ScratchDir dir;
    Bytes bytes = ThreeEntries();
    PutU32(bytes, kSecondHeader + 132, 6 + 144);  // would read the next header as data
    PackArchive pack;
    ASSERT_TRUE(pack.Open(dir.Write("a.pak", bytes)));
    EXPECT_EQ(Names(pack), (std::vector<std::string>{"a.lws", "c.tga"}));
    ASSERT_TRUE(pack.Select("c.tga"));
    EXPECT_EQ(Text(pack.Read(*pack.GetCurrentEntry())), "charlie");
}

TEST(PackDamage, NameWithoutNulIsRefusedAndLaterEntriesStillFound) {
    test::ScratchDir dir;
    Bytes bytes;
    AddEntry(bytes, "a.lws", "alpha");
    AddEntry(bytes, std::string(128, 'x'), "no terminator");
    AddEntry(bytes, "c.tga", "charlie");
    AddCount(bytes, 3);
    PackArchive pack;
    ASSERT_TRUE(pack.Open(dir.Write("a.pak", bytes)));
    EXPECT_EQ(Names(pack), (std::vector<std::string>{"a.lws", "c.tga"}));
    ASSERT_EQ(pack.GetDamage().size(), 1u);
    EXPECT_NE(pack.GetDamage()[0].find("NUL"), std::string::npos);
    EXPECT_FALSE(pack.Select(std::string(128, 'x')));
    EXPECT_TRUE(pack.Select("c.tga"));
}

TEST(PackDamage, ZeroLengthFilesAndEntries) {
    test::ScratchDir dir;
    PackArchive pack;
    std::string error;
    EXPECT_FALSE(pack.Open(dir.Write("empty.pak", {}), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(pack.Open(dir.Write("three.pak", {0, 0, 0})));

    Bytes bytes;
    AddEntry(bytes, "none.txt", "");
    AddEntry(bytes, "after.txt", "x");
    AddCount(bytes, 2);
    ASSERT_TRUE(pack.Open(dir.Write("zero-entry.pak", bytes)));
    EXPECT_TRUE(pack.GetDamage().empty());
    ASSERT_TRUE(pack.Select("none.txt"));
    EXPECT_EQ(pack.GetCurrentEntry()->size, 0u);
    EXPECT_TRUE(pack.Read(*pack.GetCurrentEntry()).empty());
    ASSERT_TRUE(pack.Select("after.txt"));
    EXPECT_EQ(Text(pack.Read(*pack.GetCurrentEntry())), "x");
}

// Every single header byte of every entry set to each of a few hostile values: the open must end,
// and every entry it keeps must be readable from inside the file with its stated size.
TEST(PackDamage, EveryHeaderByteCorruptedStaysInsideTheFile) {
    test::ScratchDir dir;
    const Bytes sound = ThreeEntries();
    const std::string path = (dir.path / "m.pak").string();
    PackArchive pack;
    for (std::size_t header : {std::size_t{0}, kSecondHeader, kSecondHeader + 144 + 6}) {
        for (std::size_t at = header + 120; at < header + 144; ++at) {
            for (std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x7f}, std::uint8_t{0x80}, std::uint8_t{0xff}}) {
                Bytes bytes = sound;
                bytes[at] = value;
                dir.Write("m.pak", bytes);
                ASSERT_TRUE(pack.Open(path));
                for (const PackEntry& entry : pack.GetEntries()) {
                    if (!entry.IsReadable()) continue;
                    EXPECT_LE(std::uint64_t{entry.offset} + 144 + entry.size, bytes.size() - 4);
                    EXPECT_EQ(pack.Read(entry).size(), entry.size);
                }
            }
        }
    }
}

}  // namespace
}  // namespace cm
