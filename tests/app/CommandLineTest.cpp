// The show's command line and where both programs look for the data.
#include "app/DataFolder.h"
#include "app/ShowCommandLine.h"
#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace cm {
namespace {

TEST(ShowCommandLine, TakesItsOptionsAndRefusesWhatItDoesNotKnowNamingTheArgument) {
    std::string error;
    const auto line = ParseShowCommandLine({"--data", "/some/dir", "-h", "--version", "--no-vsync"}, error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(std::tie(line->dataDir, line->noVsync, line->help, line->version),
              std::make_tuple(std::string("/some/dir"), true, true, true));

    const std::vector<std::vector<std::string>> refused = {
        {"--fullscreen"}, {"data"}, {"--data"}, {"--data", "--help"}, {"--data", ""}};
    for (const auto& args : refused) {
        error.clear();
        EXPECT_FALSE(ParseShowCommandLine(args, error)) << args[0];
        EXPECT_NE(error.find(args[0]), std::string::npos) << error;
    }
}

TEST(DataFolder, LooksBesideTheProgramThenInItsShareFolderAndOnlyInAGivenFolder) {
    // The tests run from the bin folder beside the generated data.
    const DataSearch here = FindDataFolder("");
    EXPECT_EQ(std::filesystem::path(here.folder), std::filesystem::current_path());
    ASSERT_EQ(here.searched.size(), 1u);

    const test::ScratchDir dir;
    EXPECT_TRUE(FindDataFolder(dir.path.string()).folder.empty());  // its message is ShowProgramTest's
    dir.WriteText("kelvarin.pak", "x");
    EXPECT_EQ(FindDataFolder(dir.path.string()).folder, dir.path.string());
}

}  // namespace
}  // namespace cm
