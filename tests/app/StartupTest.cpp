// Start-up and shutdown: the dialog's options, and a clean exit 1 with nothing left behind when
// start-up stops. (Each missing data file is the recorder's MissingData test.)
#include "ShowHarness.h"

#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/d3dx/D3DX.h"
#include "resources/PackArchive.h"
#include "scene/SceneGraph.h"

#include <gtest/gtest.h>

namespace cm::test {
namespace {

void ExpectNothingLeft() {
    EXPECT_EQ(GetDevice(), nullptr);
    EXPECT_EQ(GetContext(), nullptr);
    EXPECT_EQ(GetScreenVertexBuffer(), nullptr);
    EXPECT_FALSE(D3DXIsInitialized());
    EXPECT_EQ(GetMountedPack(), nullptr);
}

// Windowed and silent, the window waiting for the refresh too; full screen without vsync, with music.
TEST(ShowStartup, OptionsChooseTheDisplayAndTheMusicAndAStopLeavesNothing) {
    for (const bool windowed : {true, false}) {
        {
            Show show;
            ShowSetup setup = HeadlessSetup(nullptr);
            setup.options.windowed = setup.options.noSound = setup.vsync = windowed;
            ASSERT_TRUE(show.InitShow(setup));
            EXPECT_EQ(show.GetDisplay()->GetFlags(), windowed ? 0x1Eu : 0x01u);
            EXPECT_EQ(show.GetMusic() == nullptr, windowed);
            EXPECT_NE(GetMountedPack(), nullptr);
            if (windowed) show.ShutdownShow();  // else the destructor shuts down
        }
        ExpectNothingLeft();
    }

    // Cancelled, or scenes without the nodes a part uses: exit with 1, leaving nothing.
    ShowSetup cancel = HeadlessSetup(nullptr);
    cancel.options.cancelled = 1;
    Show cancelled;
    EXPECT_EQ(RunShow(cancelled, cancel), 1);
    EXPECT_EQ(cancelled.GetDisplay(), nullptr);
    EXPECT_EQ(cancelled.GetTextures(), nullptr);
    ExpectNothingLeft();

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

}  // namespace
}  // namespace cm::test
