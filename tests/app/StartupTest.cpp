// Start-up and shutdown: the dialog's options, the loose-file fallback, and a clean exit 1 with
// nothing left behind when a data file is missing.
#include "ShowHarness.h"

#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/d3dx/D3DX.h"
#include "resources/PackArchive.h"
#include "scene/SceneGraph.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace cm::test {
namespace {

namespace fs = std::filesystem;

// Runs the test body in a fresh folder whose data/ links every generated data file but one,
// without the pack, and comes back afterwards.
class LooseData {
public:
    explicit LooseData(const std::string& without) {
        home = fs::current_path();
        folder = fs::temp_directory_path() / ("cm_show_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "data");
        for (const auto& entry : fs::directory_iterator(home / "data")) {
            if (entry.path().filename() == without) continue;
            fs::create_symlink(entry.path(), folder / "data" / entry.path().filename());
        }
        fs::current_path(folder);
    }
    ~LooseData() {
        fs::current_path(home);
        fs::remove_all(folder);
    }

private:
    fs::path home;
    fs::path folder;
};

void ExpectNothingLeft() {
    EXPECT_EQ(GetDevice(), nullptr);
    EXPECT_EQ(GetContext(), nullptr);
    EXPECT_EQ(GetScreenVertexBuffer(), nullptr);
    EXPECT_FALSE(D3DXIsInitialized());
    EXPECT_EQ(GetMountedPack(), nullptr);
}

TEST(ShowStartup, CancelCreatesNothingAndExitsWithOne) {
    ShowSetup setup = HeadlessSetup(nullptr);
    setup.options.cancelled = 1;
    Show show;
    EXPECT_EQ(RunShow(show, setup), 1);
    EXPECT_EQ(show.GetDisplay(), nullptr);
    EXPECT_EQ(show.GetTextures(), nullptr);
    ExpectNothingLeft();
}

TEST(ShowStartup, OptionsChooseTheDisplayAndTheMusic) {
    {
        Show show;
        ShowSetup setup = HeadlessSetup(nullptr);
        ASSERT_TRUE(show.InitShow(setup));
        EXPECT_EQ(show.GetDisplay()->GetFlags(), 0x1Eu) << "the window waits for the refresh too";
        EXPECT_EQ(show.GetMusic(), nullptr);
        EXPECT_NE(GetMountedPack(), nullptr);
        show.ShutdownShow();
        ExpectNothingLeft();
    }
    {
        Show show;
        ShowSetup setup = HeadlessSetup(nullptr);
        setup.options.windowed = 0;
        setup.options.noSound = 0;
        setup.vsync = false;
        ASSERT_TRUE(show.InitShow(setup));
        EXPECT_EQ(show.GetDisplay()->GetFlags(), 0x01u);
        EXPECT_NE(show.GetMusic(), nullptr);
    }  // the destructor shuts down
    ExpectNothingLeft();
}

TEST(ShowStartup, ScenesWithoutTheNodesAPartUsesAreRefusedNotDereferenced) {
    // Every scene file reads, but as a graph with one camera and nothing else: each part that
    // reads a mesh, a null object or a material refuses it instead of crashing later.
    ShowSetup setup = HeadlessSetup(nullptr);
    int reads = 0;
    setup.readScene = [&reads](const char*, TextureManager&) {
        ++reads;
        auto graph = std::make_unique<SceneGraph>();
        graph->AddCamera(new Camera());
        return graph;
    };
    Show show;
    EXPECT_EQ(RunShow(show, setup), 1);
    EXPECT_EQ(reads, 1);  // the distort part, first to load, stops start-up
    ExpectNothingLeft();
}

TEST(ShowStartup, LooseFilesStandInForAMissingPack) {
    LooseData data("");
    Show show;
    EXPECT_TRUE(show.InitShow(HeadlessSetup(nullptr)));
    EXPECT_EQ(GetMountedPack(), nullptr);
    show.ShutdownShow();
    ExpectNothingLeft();
}

TEST(ShowStartup, EachMissingDataFileStopsStartUpWithOne) {
    const char* files[] = {
        "distortBackground.jpg", "distortTexture01.jpg", "distort.lws",        "glassScene.lws",
        "glassBackground.jpg",   "glassTexture01.jpg",   "roomScene.lws",      "roomFlare_1.jpg",
        "tunnelBackground.jpg",  "tunnelTexture.jpg",    "endBackground.jpg",  "scroll.jpg",
        "introScene.lws",        "introLogo.jpg",        "rotoballScene.lws",  "rotoball.jpg",
        "roto2.lws",
    };
    for (const char* missing : files) {
        SCOPED_TRACE(missing);
        LooseData data(missing);
        Show show;
        MemorySink sink;
        EXPECT_EQ(RunShow(show, HeadlessSetup(&sink)), 1);
        // Nothing was presented but the display's own first frame.
        EXPECT_LE(sink.frames, 1u);
        ExpectNothingLeft();
    }
}

}  // namespace
}  // namespace cm::test
