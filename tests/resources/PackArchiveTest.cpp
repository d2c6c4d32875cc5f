#include "resources/DataFile.h"
#include "resources/PackArchive.h"
#include "resources/PackWriter.h"
#include "resources/PackBytes.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

using test::AddCount;
using test::AddEntry;
using test::Bytes;
using test::Text;

TEST(PackLookup, MatchesFileNameAndExtensionOnlyIgnoringCaseFirstEntryWins) {
    test::ScratchDir dir;
    Bytes bytes;
    AddEntry(bytes, "introScene.lws", "first");
    AddEntry(bytes, "scroll.jpg", "jpeg bytes");
    AddEntry(bytes, "IntroScene.LWS", "second copy, from another source folder");
    AddCount(bytes, 3);
    PackArchive pack;
    ASSERT_TRUE(pack.Open(dir.Write("a.pak", bytes)));
    EXPECT_TRUE(pack.GetDamage().empty());
    ASSERT_EQ(pack.GetEntries().size(), 3u);

    ASSERT_TRUE(pack.Select("data\\Scroll.JPG"));
    EXPECT_EQ(Text(pack.Read(*pack.GetCurrentEntry())), "jpeg bytes");
    ASSERT_TRUE(pack.Select("C:objects/sub\\INTROSCENE.lws"));
    EXPECT_EQ(Text(pack.Read(*pack.GetCurrentEntry())), "first");

    // A failed selection keeps the entry selected before it.
    EXPECT_FALSE(pack.Select("data\\introScene.lwo"));
    EXPECT_FALSE(pack.Select("introScene"));
    EXPECT_FALSE(pack.Select("data\\"));
    ASSERT_NE(pack.GetCurrentEntry(), nullptr);
    EXPECT_EQ(pack.GetCurrentEntry()->name, "introScene.lws");
}

TEST(PackLookup, UnreadableEntryIsFoundButReadsNothing) {
    test::ScratchDir dir;
    Bytes bytes;
    AddEntry(bytes, "locked.tga", "secret", PackEntry::kFlagUnreadable | 0x10);
    AddCount(bytes, 1);
    PackArchive pack;
    ASSERT_TRUE(pack.Open(dir.Write("a.pak", bytes)));
    ASSERT_TRUE(pack.Select("locked.tga"));
    EXPECT_TRUE(pack.Read(*pack.GetCurrentEntry()).empty());
}

TEST(PackLookup, EmptyArchiveMountsAndFindsNothing) {
    test::ScratchDir dir;
    Bytes bytes;
    AddCount(bytes, 0);
    ASSERT_TRUE(MountPack(dir.Write("empty.pak", bytes).c_str()));
    ASSERT_NE(GetMountedPack(), nullptr);
    DataFile file;
    EXPECT_FALSE(file.Open("data\\introScene.lws"));
    EXPECT_EQ(file.GetSize(), -1);
    UnmountPack();
    EXPECT_EQ(GetMountedPack(), nullptr);
}

TEST(PackLookup, FailedMountLeavesNothingMounted) {
    test::ScratchDir dir;
    Bytes bytes;
    AddCount(bytes, 0);
    ASSERT_TRUE(MountPack(dir.Write("good.pak", bytes).c_str()));
    EXPECT_FALSE(MountPack((dir.path / "missing.pak").string().c_str()));
    EXPECT_EQ(GetMountedPack(), nullptr);
    EXPECT_FALSE(MountPack(nullptr));
    EXPECT_FALSE(MountPack(dir.path.string().c_str())) << "a folder is not an archive";
}

TEST(PackWriter, WritesTheExactLayoutAndReadsBack) {
    test::ScratchDir dir;
    const std::vector<PackInput> inputs = {
        {"introScene.lws", {'L', 'W', 'S', '\n'}, 0},
        {"empty.txt", {}, 0},
        {"locked.bin", {1, 2, 3}, PackEntry::kFlagUnreadable},
    };
    const std::string path = (dir.path / "w.pak").string();
    std::string error;
    ASSERT_TRUE(WritePack(path, inputs, &error)) << error;

    Bytes expected;
    AddEntry(expected, "introScene.lws", "LWS\n");
    AddEntry(expected, "empty.txt", "");
    AddEntry(expected, "locked.bin", "\x01\x02\x03", PackEntry::kFlagUnreadable);
    AddCount(expected, 3);
    std::ifstream in(path, std::ios::binary);
    const Bytes written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, expected);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    PackArchive pack;
    ASSERT_TRUE(pack.Open(path));
    EXPECT_TRUE(pack.GetDamage().empty());
    ASSERT_EQ(pack.GetEntries().size(), 3u);
    EXPECT_EQ(pack.GetEntries()[2].flags, PackEntry::kFlagUnreadable);
}

TEST(PackWriter, RefusesNamesTheFormatCannotHoldAndWritesNothing) {
    test::ScratchDir dir;
    const std::string path = (dir.path / "bad.pak").string();
    for (const std::string& name : {std::string(), std::string(128, 'n'), std::string("data\\x.lws"),
                                    std::string("../x"), std::string(".."), std::string("a\0b", 3)}) {
        std::string error;
        EXPECT_FALSE(WritePack(path, {{name, {1}, 0}}, &error)) << name;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(WritePack(path, {{std::string(127, 'n'), {1}, 0}}));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

}  // namespace
}  // namespace cm
