// The scene reader on generated scenes: echo, line ends, item kinds and names, channels, links.
#include "lightwave/LwsReader.h"

#include <gtest/gtest.h>

#include <numbers>
#include <sstream>

#include "LightWaveFiles.h"
#include "lightwave/LwsItemNames.h"
#include "resources/TextureManager.h"
#include "scene/LwsItem.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

using test::Lines;

// A one-key nine-channel motion block after its keyword line.
std::string Still(const std::string& position, const std::string& eol = "\r\n") {
    return Lines({"  9", "  1", position + " 0 0 0 1 1 1", "0 0 0 0 0", "EndBehavior 1"}, eol);
}

class LwsReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<SceneGraph> Load(const std::string& text, const std::string& name = "scene.lws") {
        echo.str("");
        return reader.Load(dir.WriteText(name, text).c_str(), &textures);
    }
    test::ScratchDir dir;
    std::string box = dir.Write("box.lwo", test::Square("Box").Build());
    TextureManager textures;
    std::ostringstream echo;
    LwsReader reader{echo};
};

TEST_F(LwsReaderTest, EchoAndItemKinds) {
    const std::string helper = PeekItemName(kLwsHelper), light = PeekItemName(kLwsLight),
                      mesh = PeekItemName(kLwsMesh);
    // "NULL" after LoadObject makes a null object, any other name after AddNullObject an object;
    // the missing object gives no node but uses up its name.
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LWSC", "1", "", "FirstFrame 1", "LastFrame 60", "FrameStep 2", "FramesPerSecond 29.97",
                    "AmbientColor 255 128 0", "AmbIntensity 0.5", "", "LoadObject NULL", "ObjectMotion (unnamed)"}) +
             Still("1 2 3") + Lines({"", "AddLight", "LgtIntensity 1", "", "AddNullObject " + box, "",
                                     "AddNullObject missing.lwo", "", "ShowCamera 1 7", "ZoomFactor 3.2", ""}));
    ASSERT_NE(graph, nullptr);
    const std::string second = "lightwave_mesh_" + std::to_string(std::stoi(mesh.substr(15)) + 1);
    EXPECT_EQ(echo.str(), "FirstFrame: 1\nLastFrame: 60\nFrameStep: 2\nFramesPerSecond: 29.97\n"
                          "Ambient color: 255 128 0\nAmbient intensity: 0.5\nLoadObject\nKeyframe\n"
                          "Keys: 1, Channels: 9\n" + helper + "\nLight: " + light + "\nLoadObject\n" + mesh +
                          "\nLoadObject\n" + second + "\nCamera\n");
    ASSERT_EQ(graph->GetNodeCount(), 3);
    EXPECT_STREQ(graph->GetHelper(0)->GetName(), helper.c_str());
    EXPECT_STREQ(graph->GetMesh(0)->GetName(), mesh.c_str());
    EXPECT_STREQ(graph->GetMesh(0)->GetSourceName(), box.c_str());
    EXPECT_NE(graph->FindMaterial("box"), nullptr);  // objects share the scene's library
    EXPECT_EQ(graph->GetCameraCount(), 1);
    EXPECT_EQ(graph->GetRootCount(), 3);
}

TEST_F(LwsReaderTest, OnlyALineWithNoCharactersEndsABlock) {
    // CR LF: the line of spaces does not end item 1's block, so its parent number is read; the
    // empty line does, and item 2 is read at the top level.
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LoadObject Null", "   ", "ParentObject 2", "", "LoadObject Null", ""}));
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_EQ(graph->GetNode(0)->GetParent(), graph->GetNode(1));
    EXPECT_EQ(graph->GetRootCount(), 1);

    // LF only: no line is ever empty, so item 1's block runs to the end of the file; the second
    // LoadObject means nothing there and its motion becomes item 1's.
    graph = Load(Lines({"LoadObject Null", "ObjectMotion"}, "\n") + Still("1 1 1", "\n") +
                 Lines({"", "LoadObject Null", "ObjectMotion"}, "\n") + Still("4 5 6", "\n"));
    ASSERT_EQ(graph->GetNodeCount(), 1);
    graph->Animate(0.0f);
    EXPECT_EQ(graph->GetNode(0)->position.x, 4.0f);
}

TEST_F(LwsReaderTest, ObjectsBesideTheSceneAndNumberingAcrossScenes) {
    const std::string ship = dir.Write("scenes/ship.lwo", test::Square("Hull").Build());
    const std::string text = Lines({"LoadObject C:\\scenes\\objects\\ship.lwo", "", "LoadObject Null", "",
                                    "LoadObject " + box, ""});
    std::unique_ptr<SceneGraph> first = Load(text, "scenes/intro.lws");
    std::unique_ptr<SceneGraph> second = Load(text, "scenes/intro.lws");
    ASSERT_EQ(first->GetMeshCount(), 2);
    EXPECT_STREQ(first->GetMesh(0)->GetSourceName(), ship.c_str());
    auto number = [](const SceneNode* node) { return std::stoi(std::string(node->GetName()).substr(15)); };
    EXPECT_EQ(number(first->GetMesh(1)), number(first->GetMesh(0)) + 1);
    EXPECT_EQ(number(second->GetMesh(0)), number(first->GetMesh(1)) + 1);
    EXPECT_STRNE(second->GetHelper(0)->GetName(), first->GetHelper(0)->GetName());
}

TEST_F(LwsReaderTest, MotionKeysBecomeChannels) {
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LoadObject Null", "ObjectMotion", "  9", "  2", "1 2 3 90 0 0 2 3 4", "30.7 0 0.5 0 -0.5",
                    "7 8 9 0 45 -180 1 1 1", "0 1 0 0.25 0", "EndBehavior 1", ""}));
    const SceneNode* node = graph->GetNode(0);
    EXPECT_EQ(graph->GetChannelCount(), 3);
    // Sorted by frame: the file's second key (frame 0) comes first; 30.7 reads as frame 30.
    const ChannelKey* early = node->GetRotationChannel()->GetFirst();
    const ChannelKey* late = node->GetRotationChannel()->GetLast();
    EXPECT_EQ(early->continuity, 0.25f);
    EXPECT_EQ(late->time, 30.0f);
    EXPECT_EQ(late->tension, 0.5f);
    EXPECT_EQ(late->bias, -0.5f);
    // Heading 90 becomes the y angle and pitch 45 the x angle, in radians.
    EXPECT_FLOAT_EQ(late->values[0], 0.0f);
    EXPECT_FLOAT_EQ(late->values[1], std::numbers::pi_v<float> / 2);
    EXPECT_FLOAT_EQ(early->values[0], std::numbers::pi_v<float> / 4);
    EXPECT_FLOAT_EQ(early->values[2], -std::numbers::pi_v<float>);
    EXPECT_EQ(node->GetPositionChannel()->GetLast()->values[2], 3.0f);
    EXPECT_EQ(node->GetScaleChannel()->GetLast()->values[2], 4.0f);
}

// Numbers are decimal: words, special values and hexadecimal read 0, so nothing but finite
// values reaches the channels; an empty file is an empty scene, a missing one none.
TEST_F(LwsReaderTest, OnlyDecimalNumbersAndEmptyFilesAreEmptyScenes) {
    std::unique_ptr<SceneGraph> graph = Load(Lines({"FramesPerSecond nan", "LoadObject Null", "ObjectMotion", "9", "1",
                                                    "inf nan 0x10 infinity -INF 1e1 NaN 0x1p3 2.5", "0 0 0 0 0",
                                                    "EndBehavior 1", ""}));
    EXPECT_NE(echo.str().find("FramesPerSecond: 0\n"), std::string::npos);
    const SceneNode* node = graph->GetNode(0);
    const std::vector<float> position = node->GetPositionChannel()->GetFirst()->values;
    const std::vector<float> scale = node->GetScaleChannel()->GetFirst()->values;
    EXPECT_EQ(position, (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(scale, (std::vector<float>{0.0f, 0.0f, 2.5f}));
    EXPECT_FLOAT_EQ(node->GetRotationChannel()->GetFirst()->values[2], 10.0f * 0.017453292f);

    graph = Load("");
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->GetNodeCount(), 0);
    EXPECT_EQ(reader.Load(dir.Path("missing.lws").c_str(), &textures), nullptr);
}

TEST_F(LwsReaderTest, LinksSkipItemsWithoutNodes) {
    // 1 object, 2 light, 3 missing object, 4 camera aimed at 1, then helpers under the light,
    // under the missing object and under the object, and a camera aimed at nothing.
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LoadObject " + box, "", "AddLight", "", "LoadObject gone.lwo", "", "ShowCamera", "TargetObject 1",
                    "", "LoadObject Null", "ParentObject 2", "", "LoadObject Null", "ParentObject 3", "",
                    "LoadObject Null", "ParentObject 1", "", "ShowCamera", "TargetObject 0", ""}));
    ASSERT_EQ(graph->GetNodeCount(), 6);
    SceneNode* object = graph->GetNode(0);
    EXPECT_EQ(graph->GetNode(1)->GetTarget(), object);
    EXPECT_EQ(graph->GetNode(2)->GetParent(), nullptr);
    EXPECT_EQ(graph->GetNode(3)->GetParent(), nullptr);
    EXPECT_EQ(graph->GetNode(4)->GetParent(), object);
    EXPECT_EQ(graph->GetNode(5)->GetTarget(), nullptr);
    ASSERT_EQ(graph->GetRootCount(), 5);
    EXPECT_EQ(graph->GetRoot(4), graph->GetNode(5));
}

}  // namespace
}  // namespace cm
