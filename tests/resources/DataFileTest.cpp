#include "resources/DataFile.h"
#include "resources/PackArchive.h"
#include "resources/PackBytes.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

using test::AddCount;
using test::AddEntry;
using test::Bytes;
using test::Text;

TEST(DataFileDisk, OpensDosNamesWithBackslashesAndReadsWhole) {
    UnmountPack();
    test::ScratchDir dir;
    std::filesystem::create_directories(dir.path / "data");
    dir.Write("data/introScene.lws", {'L', 'W', 'S', 'C', '\r', '\n'});
    const std::string dosName = dir.path.string() + "\\data\\introScene.lws";

    DataFile file;
    ASSERT_TRUE(file.Open(dosName.c_str()));
    EXPECT_EQ(file.GetSize(), 6);
    EXPECT_EQ(Text(file.ReadAll()), "LWSC\r\n");
    file.Close();
    EXPECT_EQ(file.GetSize(), -1);
    EXPECT_TRUE(file.ReadAll().empty());
    EXPECT_EQ(Text(DataFile::Load(dosName.c_str())), "LWSC\r\n");
}

TEST(DataFileDisk, RefusesMissingEmptyAndUnknownModes) {
    UnmountPack();
    test::ScratchDir dir;
    const std::string empty = dir.Write("empty.lws", {});
    const std::string some = dir.Write("some.lws", {'x', 'y'});
    DataFile file;
    EXPECT_FALSE(file.Open((dir.path / "missing.lws").string().c_str()));
    EXPECT_FALSE(file.Open(nullptr));
    EXPECT_FALSE(file.Open(some.c_str(), 3, 1));
    EXPECT_FALSE(file.Open(some.c_str(), 1, 0));
    ASSERT_TRUE(file.Open(empty.c_str()));
    EXPECT_TRUE(file.ReadAll().empty());

    char buffer[4];
    ASSERT_TRUE(file.Open(some.c_str()));
    EXPECT_EQ(file.Read(nullptr, 2), 0);
    EXPECT_EQ(file.Read(buffer, 0), 0);
    EXPECT_EQ(file.Read(buffer, 4), 2);
}

TEST(DataFileDisk, OpenAlwaysCreatesButNeverTruncates) {
    UnmountPack();
    test::ScratchDir dir;
    const std::string some = dir.Write("some.lws", {'x', 'y'});
    DataFile file;
    ASSERT_TRUE(file.Open(some.c_str(), DataFile::kModeOpenAlways, DataFile::kAccessRead | DataFile::kAccessWrite));
    EXPECT_EQ(file.GetSize(), 2);
    const std::string fresh = (dir.path / "fresh.bin").string();
    ASSERT_TRUE(file.Open(fresh.c_str(), DataFile::kModeOpenAlways, DataFile::kAccessRead));
    EXPECT_EQ(file.GetSize(), 0);
    EXPECT_TRUE(std::filesystem::exists(fresh));
}

TEST(DataFilePack, ReadsTheCurrentEntryOneFileAtATime) {
    test::ScratchDir dir;
    dir.Write("loose.lws", {'d', 'i', 's', 'k'});
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
    EXPECT_EQ(scene.GetSize(), -1);

    // While mounted, names missing from the pack are not looked for on disk.
    EXPECT_FALSE(scene.Open((dir.path / "loose.lws").string().c_str()));
    UnmountPack();
    EXPECT_EQ(Text(DataFile::Load((dir.path / "loose.lws").string().c_str())), "disk");
}

}  // namespace
}  // namespace cm
