#include "common/Command.h"
#include "common/Files.h"
#include "resources/PackBytes.h"

#include <gtest/gtest.h>

namespace cm {
namespace {

using namespace test;

std::string Q(const std::string& s) { return "'" + s + "'"; }

// Standard output and error together.
CommandRun Pak(const std::string& arguments) {
    return RunCommand(Q(CM_PAK_PROGRAM) + " " + arguments + " 2>&1");
}

TEST(PakTool, RoundTripThroughCreateListAndExtract) {
    ScratchDir dir;
    Bytes binary(70000);
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    const std::pair<const char*, Bytes> files[] = {
        {"data/Scroll.JPG", binary}, {"data/introScene.lws", {'L', 'W', 'S', '\n'}},
        {"other/scroll.jpg", {'2'}}, {"empty.txt", {}}};
    const std::string d = dir.path.string() + "/", pak = d + "k.pak";
    std::string inputs;
    for (const auto& [name, bytes] : files) inputs.append(" ").append(Q(dir.Write(name, bytes)));
    const CommandRun create = Pak("create " + Q(pak) + inputs);
    ASSERT_EQ(create.status, 0) << create.output;
    EXPECT_NE(create.output.find("warning"), std::string::npos) << "scroll.jpg twice";

    const CommandRun list = Pak("list " + Q(pak));
    ASSERT_EQ(list.status, 0) << list.output;
    std::size_t at = 0;
    for (const char* expected : {"Scroll.JPG", "70000", "introScene.lws", "4", "scroll.jpg", "empty.txt", "0"}) {
        at = list.output.find(expected, at);
        ASSERT_NE(at, std::string::npos) << expected << " missing or out of order in:\n" << list.output;
    }

    const CommandRun extract = Pak("extract " + Q(pak) + " " + Q(d + "out/deeper"));
    ASSERT_EQ(extract.status, 0) << extract.output;
    EXPECT_EQ(ReadBytes(d + "out/deeper/Scroll.JPG"), binary);
    EXPECT_EQ(ReadText(d + "out/deeper/introScene.lws"), "LWS\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(d + "out/deeper/empty.txt"));

    EXPECT_EQ(Pak("").status, 2);
    EXPECT_EQ(Pak("create " + Q(d + "n.pak") + " " + Q(d + "nope.lws")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(d + "n.pak"));
}

// list and extract both refuse with a message and exit 1 (never a signal); extract writes nothing.
TEST(PakTool, RefusesDamagedArchivesAndNamesThatLeaveTheFolder) {
    const Bytes sound = PackOf({{"a.lws", "alpha"}, {"b.lwo", std::string(300, 'b')}});
    std::pair<const char*, Bytes> cases[] = {{"count 0xFFFFFFFF", sound}, {"wrapped offset", sound}, {"zero-length file", {}}};
    PutU32(cases[0].second, sound.size() - 4, 0xffffffffu);
    PutU32(cases[1].second, 144 + 5 + 140, 0xfffffff0u);
    ScratchDir dir;
    const std::string out = (dir.path / "out").string();
    for (const auto& [what, bytes] : cases) {
        const std::string pak = dir.Write("d.pak", bytes);
        const CommandRun list = Pak("list " + Q(pak));
        EXPECT_EQ(list.status, 1) << what << ":\n" << list.output;
        EXPECT_NE(list.output.find("pak: "), std::string::npos) << what;
        EXPECT_EQ(Pak("extract " + Q(pak) + " " + Q(out)).status, 1) << what;
        EXPECT_FALSE(std::filesystem::exists(out)) << what;
    }
    // Names that would leave the folder.
    for (const char* name : {"../escape.txt", "sub/x.txt", "..", "/abs.txt"}) {
        const std::string pak = dir.Write("e.pak", PackOf({{"fine.txt", "ok"}, {name, "evil"}}));
        const CommandRun extract = Pak("extract " + Q(pak) + " " + Q(out));
        EXPECT_EQ(extract.status, 1) << name << ":\n" << extract.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << "refused before writing anything";
    }
}

}  // namespace
}  // namespace cm
