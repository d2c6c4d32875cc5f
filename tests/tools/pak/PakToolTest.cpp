#include "resources/DataFile.h"
#include "resources/PackArchive.h"
#include "resources/PackBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace cm {
namespace {

using test::AddCount;
using test::AddEntry;
using test::Bytes;
using test::PutU32;
using test::Text;

struct PakRun {
    int status = -1;
    std::string output;  // standard output and error together
};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

PakRun Pak(const std::string& arguments) {
    PakRun run;
    const std::string command = Quote(CM_PAK_PROGRAM) + " " + arguments + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char chunk[512];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.output.append(chunk, n);
    const int raw = pclose(pipe);
    // A crash shows as a signal, not an exit status.
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return run;
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(PakTool, RoundTripThroughCreateListMountAndExtract) {
    test::ScratchDir dir;
    std::filesystem::create_directories(dir.path / "data");
    Bytes binary(70000);
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    dir.Write("data/introScene.lws", {'L', 'W', 'S', 'C', '\n', '3', '\n'});
    dir.Write("data/Scroll.JPG", binary);
    dir.Write("empty.txt", {});
    const std::string pak = (dir.path / "k.pak").string();
    const std::string d = dir.path.string();

    PakRun create = Pak("create " + Quote(pak) + " " + Quote(d + "/data/introScene.lws") + " " +
                     Quote(d + "/data/Scroll.JPG") + " " + Quote(d + "/empty.txt"));
    ASSERT_EQ(create.status, 0) << create.output;

    PakRun list = Pak("list " + Quote(pak));
    ASSERT_EQ(list.status, 0) << list.output;
    const std::string rows[] = {"introScene.lws", "7", "Scroll.JPG", "70000", "empty.txt"};
    std::size_t at = 0;
    for (const std::string& expected : rows) {
        at = list.output.find(expected, at);
        ASSERT_NE(at, std::string::npos) << expected << " missing or out of order in:\n" << list.output;
    }

    // The show's look-up: a DOS name with a directory, matched by file name and extension.
    ASSERT_TRUE(MountPack(pak.c_str()));
    EXPECT_EQ(Text(DataFile::Load("data\\introScene.lws")), "LWSC\n3\n");
    EXPECT_EQ(DataFile::Load("data\\scroll.jpg"), binary);
    UnmountPack();

    PakRun extract = Pak("extract " + Quote(pak) + " " + Quote(d + "/out/deeper"));
    ASSERT_EQ(extract.status, 0) << extract.output;
    EXPECT_EQ(ReadFile(dir.path / "out/deeper/introScene.lws"), ReadFile(dir.path / "data/introScene.lws"));
    EXPECT_EQ(ReadFile(dir.path / "out/deeper/Scroll.JPG"), binary);
    EXPECT_TRUE(std::filesystem::exists(dir.path / "out/deeper/empty.txt"));
    EXPECT_EQ(std::filesystem::file_size(dir.path / "out/deeper/empty.txt"), 0u);
}

TEST(PakTool, DuplicateFileNamesAreKeptInOrderWithAWarning) {
    test::ScratchDir dir;
    std::filesystem::create_directories(dir.path / "a");
    std::filesystem::create_directories(dir.path / "b");
    dir.Write("a/tex.tga", {'1'});
    dir.Write("b/TEX.tga", {'2'});
    const std::string pak = (dir.path / "k.pak").string();
    const std::string d = dir.path.string();
    PakRun create = Pak("create " + Quote(pak) + " " + Quote(d + "/a/tex.tga") + " " + Quote(d + "/b/TEX.tga"));
    ASSERT_EQ(create.status, 0) << create.output;
    EXPECT_NE(create.output.find("warning"), std::string::npos);
    ASSERT_TRUE(MountPack(pak.c_str()));
    EXPECT_EQ(Text(DataFile::Load("b\\TEX.TGA")), "1");
    UnmountPack();
}

TEST(PakTool, RefusesBadUsageAndUnreadableInputsWithoutWritingAnArchive) {
    test::ScratchDir dir;
    const std::string pak = (dir.path / "k.pak").string();
    EXPECT_EQ(Pak("").status, 2);
    EXPECT_EQ(Pak("list").status, 2);
    EXPECT_EQ(Pak("frobnicate x").status, 2);
    PakRun missing = Pak("create " + Quote(pak) + " " + Quote((dir.path / "nope.lws").string()));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("nope.lws"), std::string::npos) << missing.output;
    EXPECT_FALSE(std::filesystem::exists(pak));
    EXPECT_EQ(Pak("create " + Quote(pak) + " " + Quote(dir.path.string())).status, 1) << "a folder is no input";
    EXPECT_EQ(Pak("list " + Quote((dir.path / "nope.pak").string())).status, 1);
}

// Damaged archives: list and extract both refuse with a message, exit 1 (never a signal) and
// extract writes nothing.
TEST(PakTool, RefusesDamagedArchives) {
    Bytes sound;
    AddEntry(sound, "a.lws", "alpha");
    AddEntry(sound, "b.lwo", std::string(300, 'b'));
    AddCount(sound, 2);
    const std::size_t second = 144 + 5;
    struct Case {
        const char* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    Bytes b = sound;
    PutU32(b, b.size() - 4, 3);
    cases.push_back({"count past the file", b});
    b = sound;
    PutU32(b, b.size() - 4, 0xffffffffu);
    cases.push_back({"count 0xFFFFFFFF", b});
    b = sound;
    // offset + 144 wraps 32 bits to the entry's true data position.
    PutU32(b, second + 140, 0xffffffffu - 143u + static_cast<std::uint32_t>(second));
    cases.push_back({"wrapped offset", b});
    b = sound;
    PutU32(b, second + 128, 0u - static_cast<std::uint32_t>(second + 144));
    cases.push_back({"wrapped stored length", b});
    b = sound;
    std::fill(b.begin() + static_cast<std::ptrdiff_t>(second), b.begin() + static_cast<std::ptrdiff_t>(second + 128), 'n');
    cases.push_back({"missing NUL", b});
    cases.push_back({"zero-length file", {}});
    cases.push_back({"shorter than a count", {1, 0}});

    test::ScratchDir dir;
    for (const Case& c : cases) {
        const std::string pak = dir.Write("d.pak", c.bytes);
        const PakRun list = Pak("list " + Quote(pak));
        EXPECT_EQ(list.status, 1) << c.what << ":\n" << list.output;
        EXPECT_NE(list.output.find("pak: "), std::string::npos) << c.what;
        const auto out = dir.path / "out";
        const PakRun extract = Pak("extract " + Quote(pak) + " " + Quote(out.string()));
        EXPECT_EQ(extract.status, 1) << c.what << ":\n" << extract.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.what;
    }
}

TEST(PakTool, ExtractRefusesNamesThatLeaveTheFolder) {
    test::ScratchDir dir;
    for (const std::string name : {"../escape.txt", "sub/x.txt", "..", "/abs.txt"}) {
        Bytes bytes;
        AddEntry(bytes, "fine.txt", "ok");
        AddEntry(bytes, name, "evil");
        AddCount(bytes, 2);
        const std::string pak = dir.Write("e.pak", bytes);
        const PakRun extract = Pak("extract " + Quote(pak) + " " + Quote((dir.path / "out").string()));
        EXPECT_EQ(extract.status, 1) << name << ":\n" << extract.output;
        EXPECT_FALSE(std::filesystem::exists(dir.path / "escape.txt"));
        EXPECT_FALSE(std::filesystem::exists(dir.path / "out" / "fine.txt")) << "refused before writing anything";
    }
}

}  // namespace
}  // namespace cm
