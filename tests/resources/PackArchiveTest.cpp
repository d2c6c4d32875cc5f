// The pack archive, its writer, and data files read from disk or from a mounted pack.
#include "common/Files.h"
#include "resources/DataFile.h"
#include "resources/PackArchive.h"
#include "resources/PackBytes.h"
#include "resources/PackWriter.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

using namespace test;

TEST(PackLookup, ByFileNameAndExtensionIgnoringCaseFirstEntryWins) {
    ScratchDir dir;
    const Bytes bytes = PackOf({{"introScene.lws", "first"}, {"scroll.jpg", "jpeg"}, {"IntroScene.LWS", "again"},
                                {"locked.tga", "secret", PackEntry::kFlagUnreadable}});
    PackArchive pack;
    ASSERT_TRUE(pack.Open(dir.Write("a.pak", bytes)));
    EXPECT_TRUE(pack.GetDamage().empty());
    ASSERT_TRUE(pack.Select("data\\Scroll.JPG"));
    EXPECT_EQ(Text(pack.Read(*pack.GetCurrentEntry())), "jpeg");
    ASSERT_TRUE(pack.Select("C:objects/sub\\INTROSCENE.lws"));
    EXPECT_EQ(Text(pack.Read(*pack.GetCurrentEntry())), "first");
    // Misses keep the current entry.
    EXPECT_FALSE(pack.Select("data\\introScene.lwo"));
    EXPECT_FALSE(pack.Select("introScene"));
    EXPECT_FALSE(pack.Select("introScene.lws\\"));
    EXPECT_EQ(pack.GetCurrentEntry()->name, "introScene.lws");
    ASSERT_TRUE(pack.Select("dir.d\\locked.tga")) << "a dot in the directory is no extension";
    EXPECT_TRUE(pack.Read(*pack.GetCurrentEntry()).empty());
}

TEST(PackLookup, EmptyArchiveMountsAndFindsNothingFailedMountLeavesNone) {
    ScratchDir dir;
    ASSERT_TRUE(MountPack(dir.Write("empty.pak", PackOf({})).c_str()));
    DataFile file;
    EXPECT_FALSE(file.Open("data\\introScene.lws"));
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_FALSE(MountPack((dir.path / "missing.pak").string().c_str()));
    EXPECT_EQ(GetMountedPack(), nullptr);
    EXPECT_FALSE(MountPack(dir.path.string().c_str())) << "a folder is no archive";
}

TEST(PackWriter, WritesTheExactLayoutAndRefusesNamesItCannotHold) {
    ScratchDir dir;
    const std::string path = (dir.path / "w.pak").string();
    ASSERT_TRUE(WritePack(path, {{"introScene.lws", {'L', 'W', 'S'}, 0}, {"empty.txt", {}, 0}, {"x.bin", {1}, 1}}));
    EXPECT_EQ(ReadBytes(path), PackOf({{"introScene.lws", "LWS"}, {"empty.txt", ""}, {"x.bin", "\x01", 1}}));

    for (const std::string& name : {std::string(), std::string(128, 'n'), std::string("data\\x.lws"),
                                    std::string(".."), std::string("a\0b", 3)})
        EXPECT_FALSE(WritePack(path, {{name, {1}, 0}})) << name;
    EXPECT_TRUE(WritePack(path, {{std::string(127, 'n'), {1}, 0}}));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(DataFileDisk, OpensDosNamesOnDiskAndRefusesWhatCannotBeRead) {
    UnmountPack();
    ScratchDir dir;
    std::filesystem::create_directories(dir.path / "data");
    dir.Write("data/introScene.lws", {'L', 'W', 'S', '\n'});
    const std::string empty = dir.Write("empty.lws", {});
    const std::string dosName = dir.path.string() + "\\data\\introScene.lws";
    DataFile file;
    ASSERT_TRUE(file.Open(dosName.c_str()));
    EXPECT_EQ(file.GetSize(), 4);
    EXPECT_EQ(Text(file.ReadAll()), "LWS\n");
    file.Close();
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_TRUE(file.ReadAll().empty());

    EXPECT_FALSE(file.Open((dir.path / "missing.lws").string().c_str()));
    EXPECT_FALSE(file.Open(dosName.c_str(), 3, 1));
    ASSERT_TRUE(file.Open(empty.c_str()));
    EXPECT_TRUE(file.ReadAll().empty());
    // Open-or-create keeps an existing file's bytes.
    ASSERT_TRUE(file.Open(dosName.c_str(), DataFile::kModeOpenAlways, DataFile::kAccessRead | DataFile::kAccessWrite));
    EXPECT_EQ(file.GetSize(), 4);
}

TEST(DataFilePack, ReadsThePacksCurrentEntryOneFileAtATime) {
    ScratchDir dir;
    const std::string loose = dir.Write("loose.lws", {'d', 'i', 's', 'k'});
    const Bytes bytes = PackOf({{"introScene.lws", "scene"}, {"scroll.jpg", "image"}});
    ASSERT_TRUE(MountPack(dir.Write("k.pak", bytes).c_str()));
    DataFile scene, image;
    ASSERT_TRUE(scene.Open("data\\introScene.lws"));
    EXPECT_EQ(scene.GetSize(), 5);
    EXPECT_EQ(Text(scene.ReadAll()), "scene");
    // Opening a second file switches the one current entry under the first.
    ASSERT_TRUE(image.Open("data\\Scroll.JPG"));
    EXPECT_EQ(Text(scene.ReadAll()), "image");
    image.Close();
    EXPECT_TRUE(scene.ReadAll().empty());
    // While mounted, names missing from the pack are not looked for on disk.
    EXPECT_FALSE(scene.Open(loose.c_str()));
    UnmountPack();
    EXPECT_EQ(Text(DataFile::Load(loose.c_str())), "disk");
}

// Damaged archives: whatever the bytes say, the reader stays inside the file, allocates no more
// than the file holds, ends, and refuses exactly the entries that do not fit. (Hostile values in
// every field byte are the pack harness's, replayed by test_fuzz_replay.)
constexpr std::size_t kSecond = 144 + 5;  // position of the second header
constexpr std::size_t kThird = kSecond + 144 + 300;

// Three sound entries with the given 32-bit fields (position, value) overwritten.
Bytes ThreeEntries(std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields = {}) {
    Bytes bytes = PackOf({{"a.lws", "alpha"}, {"b.lwo", std::string(300, 'b')}, {"c.tga", "charlie"}});
    for (const auto& [at, value] : fields) PutU32(bytes, at, value);
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

TEST(PackDamage, EntriesThatDoNotFitAreRefusedAloneAndArchivesThatCannotBeWhole) {
    // A count that fits as bare headers, though only three exist; one that cannot fit; all ones.
    const std::size_t count = ThreeEntries().size() - 4;
    std::size_t damage = 0;
    EXPECT_EQ(Kept(ThreeEntries({{count, 4}}), &damage), "a.lws b.lwo c.tga ");
    EXPECT_EQ(damage, 1u);
    EXPECT_EQ(Kept(ThreeEntries({{count, 6}})), "refused");
    EXPECT_EQ(Kept(ThreeEntries({{count, 0xffffffffu}})), "refused");
    // An offset + 144 that wraps to 128, inside the first header.
    EXPECT_EQ(Kept(ThreeEntries({{kSecond + 140, 0xfffffff0u}})), "a.lws c.tga ");
    // Stored length and size that would wrap the walk back to offset 0: the walk stops.
    const std::uint32_t back = 0u - static_cast<std::uint32_t>(kSecond + 144);
    EXPECT_EQ(Kept(ThreeEntries({{kSecond + 128, back}, {kSecond + 132, back}})), "a.lws ");
    // A size beyond the stored length would read the next header as data.
    EXPECT_EQ(Kept(ThreeEntries({{kSecond + 132, 300 + 144}})), "a.lws c.tga ");
    // The last entry's data running into the count, or past the end of the file.
    EXPECT_EQ(Kept(ThreeEntries({{kThird + 128, 7 + 100}, {kThird + 132, 7 + 100}})), "a.lws b.lwo ");

    // A name without its NUL refuses only that entry; an empty or short file is refused.
    const std::string unterminated(128, 'x');
    EXPECT_EQ(Kept(PackOf({{"a.lws", "alpha"}, {unterminated, "data"}, {"c.tga", "charlie"}})), "a.lws c.tga ");
    EXPECT_EQ(Kept({}), "refused");
    EXPECT_EQ(Kept({0, 0, 0}), "refused");
    // An entry of no bytes is sound.
    damage = 1;
    EXPECT_EQ(Kept(PackOf({{"none.txt", ""}, {"after.txt", "x"}}), &damage), "none.txt after.txt ");
    EXPECT_EQ(damage, 0u);
}

}  // namespace
}  // namespace cm
