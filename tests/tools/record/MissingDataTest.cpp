// The recorder program on loose data with each data file taken away in turn: a file a part
// cannot start without ends the run at start-up with exit code 1; any other leaves a hole in a
// picture and the show runs to its end. A process of its own, so that a sanitizer build's reports
// and leak check (given exit codes of their own) fail the test.
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace cm::record::test {
namespace {

namespace fs = std::filesystem;

// Scenes the parts read, images they load by name, and the objects whose nodes they look up.
const std::set<std::string> kNeededToStart = {
    "distort.lws",       "distortBackground.jpg", "distortTexture01.jpg", "distortBlob.lwo",
    "glassScene.lws",    "glassBackground.jpg",   "glassTexture01.jpg",   "glassBlob.lwo",
    "introScene.lws",    "introLogo.jpg",         "introCage.lwo",        "introGlobe.lwo",
    "roomScene.lws",     "roomFlare_1.jpg",       "tunnelBackground.jpg", "tunnelTexture.jpg",
    "rotoballScene.lws", "rotoball.jpg",          "roto2.lws",            "rotoBlob.lwo",
    "rotoRingInner.lwo", "rotoRingOuter.lwo",     "endBackground.jpg",    "scroll.jpg",
};

TEST(MissingData, EachFileGoneEitherStopsStartUpWithOneOrLeavesAShowThatRunsToItsEnd) {
    const fs::path bin = fs::current_path();
    const fs::path recorder = bin / "coldmeridian-record";
    const std::string sanitizers =
        "ASAN_OPTIONS=exitcode=86:detect_leaks=1 LSAN_OPTIONS=exitcode=87 "
        "UBSAN_OPTIONS=halt_on_error=1:exitcode=88:print_stacktrace=1 ";

    std::set<std::string> seen;
    for (const auto& entry : fs::directory_iterator(bin / "data")) {
        const std::string missing = entry.path().filename().string();
        seen.insert(missing);
        SCOPED_TRACE(missing);
        const ScratchDir dir;
        fs::create_directories(dir.path / "data");
        for (const auto& other : fs::directory_iterator(bin / "data")) {
            if (other.path().filename() == missing) continue;
            fs::create_symlink(other.path(), dir.path / "data" / other.path().filename());
        }
        // Two frames a second keep the whole show short while every part still runs.
        const auto [status, output] = RunCommand(sanitizers + recorder.string() + " --data " +
                                                 dir.path.string() + " --fps 2 --seed 1 --no-audio 2>&1");
        EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
        EXPECT_EQ(output.find("runtime error"), std::string::npos) << output;
        if (kNeededToStart.count(missing) != 0) {
            EXPECT_EQ(status, 1) << output;
            EXPECT_NE(output.find("the show could not start"), std::string::npos) << output;
        } else {
            EXPECT_EQ(status, 0) << output;
            // The summary lists every part drawn; the last one is the scroller.
            EXPECT_NE(output.find("end scroller"), std::string::npos) << output;
        }
    }
    // The list above names files that exist: a renamed file must not pass unnoticed.
    for (const std::string& name : kNeededToStart) EXPECT_EQ(seen.count(name), 1u) << name;
}

}  // namespace
}  // namespace cm::record::test
