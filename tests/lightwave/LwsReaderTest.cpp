// The scene reader on generated scenes: the echo, line-end rules, item kinds and names, channels,
// links and the second try of object files.
#include "lightwave/LwsReader.h"

#include <gtest/gtest.h>

#include <numbers>
#include <sstream>

#include "LightWaveFiles.h"
#include "LwsSceneText.h"
#include "lightwave/LwsItemNames.h"
#include "resources/TextureManager.h"
#include "scene/LwsItem.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

using test::Lines;
using test::Still;

class LwsReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        box = dir.Write("box.lwo", test::SquareObject("Box").Build());
    }
    std::unique_ptr<SceneGraph> Load(const std::string& text, const std::string& name = "scene.lws") {
        echo.str("");
        return reader.Load(dir.Write(name, text).c_str(), &textures);
    }
    test::ScratchDir dir;
    TextureManager textures;
    std::ostringstream echo;
    LwsReader reader{echo};
    std::string box;
};

TEST_F(LwsReaderTest, EchoesOneLinePerEventExactly) {
    const std::string helper = PeekItemName(kLwsHelper);
    const std::string light = PeekItemName(kLwsLight);
    const std::string text = Lines({"LWSC", "1", "", "FirstFrame 1", "LastFrame 60", "FrameStep 2",
                                    "FramesPerSecond 29.97", "AmbientColor 255 128 0", "AmbIntensity 0.5", "",
                                    "LoadObject Null", "ObjectMotion (unnamed)"}) +
                             Still("1 2 3") +
                             Lines({"", "AddLight", "LightMotion (unnamed)"}) + Still("0 0 0") +
                             Lines({"LightColor 255 255 255", "LgtIntensity 1", "", "ShowCamera 1 7",
                                    "CameraMotion (unnamed)"}) +
                             test::Motion("9", {{"0 0 -5 0 0 0 1 1 1", "0 0 0 0 0"}, {"0 0 -9 0 0 0 1 1 1", "30 0 0 0 0"}}) +
                             Lines({"ZoomFactor 3.2", ""});
    std::unique_ptr<SceneGraph> graph = Load(text);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(echo.str(), "FirstFrame: 1\nLastFrame: 60\nFrameStep: 2\nFramesPerSecond: 29.97\n"
                          "Ambient color: 255 128 0\nAmbient intensity: 0.5\n"
                          "LoadObject\nKeyframe\nKeys: 1, Channels: 9\n" + helper + "\n"
                          "Light: " + light + "\nKeyframe\nKeys: 1, Channels: 9\n"
                          "Camera\nKeyframe\nKeys: 2, Channels: 9\n");
    // The light gives no node; the helper and the camera do, named after their items.
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_STREQ(graph->GetNode(0)->GetName(), helper.c_str());
    EXPECT_EQ(graph->GetNode(1)->GetKind(), kNodeCamera);
    EXPECT_TRUE(reader.GetDamage().empty());
}

TEST_F(LwsReaderTest, OnlyALineWithNoCharactersEndsABlock) {
    // CR LF: item 1's block goes on past the line of spaces and takes its parent number; the
    // empty line then ends it and item 2 is read at the top level.
    const std::string crlf = Lines({"LoadObject Null", "   ", "ParentObject 2", "", "LoadObject Null",
                                    "ObjectMotion (unnamed)"}) + Still("4 5 6") + Lines({""});
    std::unique_ptr<SceneGraph> graph = Load(crlf);
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_EQ(graph->GetNode(0)->GetParent(), graph->GetNode(1));
    ASSERT_EQ(graph->GetRootCount(), 1);
    EXPECT_EQ(graph->GetRoot(0), graph->GetNode(1));

    // LF only: no line is ever empty, so item 1's block runs to the end of the file. The second
    // LoadObject line is skipped inside it, and its motion becomes item 1's.
    const std::string lf = Lines({"LoadObject Null", "ObjectMotion (unnamed)"}, "\n") + Still("1 1 1", "\n") +
                           Lines({"", "LoadObject Null", "ObjectMotion (unnamed)"}, "\n") + Still("4 5 6", "\n") +
                           Lines({""}, "\n");
    graph = Load(lf);
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetNodeCount(), 1);
    graph->Animate(0.0f);
    EXPECT_EQ(graph->GetNode(0)->position.x, 4.0f);
    EXPECT_EQ(echo.str().find("LoadObject"), echo.str().rfind("LoadObject"));
}

TEST_F(LwsReaderTest, TheNameNotTheKeywordDecidesTheKind) {
    const std::string text = Lines({"LoadObject NULL", "", "AddNullObject " + box, "", "AddNullObject missing.lwo", ""});
    const int firstMesh = test::ItemNumber(PeekItemName(kLwsMesh), "mesh");
    std::unique_ptr<SceneGraph> graph = Load(text);
    ASSERT_NE(graph, nullptr);
    // The missing object gives no node but uses up its name.
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_EQ(graph->GetNode(0)->GetKind(), kNodeHelper);
    EXPECT_EQ(test::ItemNumber(graph->GetNode(0)->GetName(), "helper") >= 0, true);
    ASSERT_EQ(graph->GetNode(1)->GetKind(), kNodeMesh);
    EXPECT_EQ(test::ItemNumber(graph->GetNode(1)->GetName(), "mesh"), firstMesh);
    EXPECT_STREQ(static_cast<Mesh*>(graph->GetNode(1))->GetSourceName(), box.c_str());
    EXPECT_EQ(test::ItemNumber(PeekItemName(kLwsMesh), "mesh"), firstMesh + 2);
    // The object's surface went to the scene's library.
    EXPECT_NE(graph->FindMaterial("box"), nullptr);
}

TEST_F(LwsReaderTest, ObjectsAreTriedAgainBesideTheScene) {
    const std::string ship = dir.Write("scenes/ship.lwo", test::SquareObject("Hull").Build());
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LoadObject C:\\scenes\\objects\\ship.lwo", ""}), "scenes/intro.lws");
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetMeshCount(), 1);
    EXPECT_STREQ(graph->GetMesh(0)->GetSourceName(), ship.c_str());
}

TEST_F(LwsReaderTest, NumberingContinuesFromOneSceneToTheNext) {
    const std::string text = Lines({"LoadObject " + box, "", "LoadObject Null", "", "LoadObject " + box, ""});
    std::unique_ptr<SceneGraph> first = Load(text);
    std::unique_ptr<SceneGraph> second = Load(text);
    ASSERT_EQ(first->GetMeshCount(), 2);
    ASSERT_EQ(second->GetMeshCount(), 2);
    const int lastOfFirst = test::ItemNumber(first->GetMesh(1)->GetName(), "mesh");
    EXPECT_EQ(test::ItemNumber(first->GetMesh(0)->GetName(), "mesh") + 1, lastOfFirst);
    EXPECT_EQ(test::ItemNumber(second->GetMesh(0)->GetName(), "mesh"), lastOfFirst + 1);
    EXPECT_EQ(test::ItemNumber(second->GetHelper(0)->GetName(), "helper"),
              test::ItemNumber(first->GetHelper(0)->GetName(), "helper") + 1);
}

TEST_F(LwsReaderTest, MotionKeysBecomeChannels) {
    const std::string text = Lines({"LoadObject Null", "ObjectMotion (unnamed)"}) +
                             test::Motion("9", {{"1 2 3 90 0 0 2 3 4", "30.7 0 0.5 0 -0.5"},
                                                {"7 8 9 0 45 -180 1 1 1", "0 1 0 0.25 0"}}) +
                             Lines({""});
    std::unique_ptr<SceneGraph> graph = Load(text);
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetNodeCount(), 1);
    const SceneNode* node = graph->GetNode(0);
    ASSERT_NE(node->GetPositionChannel(), nullptr);
    EXPECT_EQ(graph->GetChannelCount(), 3);

    // Keys sorted by frame: the file's second key (frame 0) comes first.
    const ChannelKey* early = node->GetRotationChannel()->GetFirst();
    const ChannelKey* late = node->GetRotationChannel()->GetLast();
    EXPECT_EQ(early->time, 0.0f);
    EXPECT_EQ(early->continuity, 0.25f);
    EXPECT_EQ(late->time, 30.0f);  // 30.7 reads as an integer frame
    EXPECT_EQ(late->tension, 0.5f);
    EXPECT_EQ(late->continuity, 0.0f);
    EXPECT_EQ(late->bias, -0.5f);
    // Heading 90 becomes the y angle; pitch 45 the x angle; all in radians.
    EXPECT_FLOAT_EQ(late->values[0], 0.0f);
    EXPECT_FLOAT_EQ(late->values[1], std::numbers::pi_v<float> / 2);
    EXPECT_FLOAT_EQ(early->values[0], std::numbers::pi_v<float> / 4);
    EXPECT_FLOAT_EQ(early->values[2], -std::numbers::pi_v<float>);

    const ChannelKey* position = node->GetPositionChannel()->GetLast();
    EXPECT_EQ(position->values[2], 3.0f);
    EXPECT_EQ(position->tension, 0.5f);
    const ChannelKey* scale = node->GetScaleChannel()->GetLast();
    EXPECT_EQ(scale->values[0], 2.0f);
    EXPECT_EQ(scale->values[2], 4.0f);
}

TEST_F(LwsReaderTest, LinksSkipItemsWithoutNodes) {
    // 1 mesh, 2 light, 3 missing object, 4 camera aimed at 1, 5 helper under the light,
    // 6 helper under the missing object, 7 helper under the mesh, 8 camera aimed at nothing.
    const std::string text = Lines({"LoadObject " + box, "", "AddLight", "", "LoadObject gone.lwo", "",
                                    "ShowCamera", "TargetObject 1", "", "LoadObject Null", "ParentObject 2", "",
                                    "LoadObject Null", "ParentObject 3", "", "LoadObject Null", "ParentObject 1", "",
                                    "ShowCamera", "TargetObject 0", ""});
    std::unique_ptr<SceneGraph> graph = Load(text);
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetNodeCount(), 6);
    SceneNode* mesh = graph->GetNode(0);
    SceneNode* camera = graph->GetNode(1);
    EXPECT_EQ(camera->GetTarget(), mesh);
    EXPECT_EQ(graph->GetNode(2)->GetParent(), nullptr);
    EXPECT_EQ(graph->GetNode(3)->GetParent(), nullptr);
    EXPECT_EQ(graph->GetNode(4)->GetParent(), mesh);
    EXPECT_EQ(graph->GetNode(5)->GetTarget(), nullptr);
    // Roots: every node without a parent, in node order.
    ASSERT_EQ(graph->GetRootCount(), 5);
    EXPECT_EQ(graph->GetRoot(3), graph->GetNode(3));
    EXPECT_EQ(graph->GetRoot(4), graph->GetNode(5));
}

}  // namespace
}  // namespace cm
