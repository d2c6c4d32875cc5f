#include "resources/DataFile.h"
#include "resources/PackArchive.h"
#include "resources/PackBytes.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

using namespace test;

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
    Bytes bytes;
    AddEntry(bytes, "introScene.lws", "scene");
    AddEntry(bytes, "scroll.jpg", "image");
    AddCount(bytes, 2);
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

}  // namespace
}  // namespace cm
