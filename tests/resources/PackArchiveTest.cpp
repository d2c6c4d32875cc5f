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
    Bytes bytes;
    AddEntry(bytes, "introScene.lws", "first");
    AddEntry(bytes, "scroll.jpg", "jpeg");
    AddEntry(bytes, "IntroScene.LWS", "second copy");
    AddEntry(bytes, "locked.tga", "secret", PackEntry::kFlagUnreadable);
    AddCount(bytes, 4);
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
    Bytes bytes;
    AddCount(bytes, 0);
    ASSERT_TRUE(MountPack(dir.Write("empty.pak", bytes).c_str()));
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
    Bytes expected;
    AddEntry(expected, "introScene.lws", "LWS");
    AddEntry(expected, "empty.txt", "");
    AddEntry(expected, "x.bin", "\x01", 1);
    AddCount(expected, 3);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), expected);

    for (const std::string& name : {std::string(), std::string(128, 'n'), std::string("data\\x.lws"),
                                    std::string(".."), std::string("a\0b", 3)})
        EXPECT_FALSE(WritePack(path, {{name, {1}, 0}})) << name;
    EXPECT_TRUE(WritePack(path, {{std::string(127, 'n'), {1}, 0}}));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

}  // namespace
}  // namespace cm
