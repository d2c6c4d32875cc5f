// Damaged scene files: clamped or refused with a safe result, no hang, no huge allocation.
#include "lightwave/LwsReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "LightWaveFiles.h"
#include "LwsSceneText.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

using test::Lines;
using test::Motion;

class LwsDamageTest : public ::testing::Test {
protected:
    std::unique_ptr<SceneGraph> Load(const std::string& text) {
        const test::Bytes bytes(text.begin(), text.end());
        return reader.LoadBytes(bytes, dir.Path("scene.lws").c_str(), &textures);
    }
    // Animating must end, and every channel holds keys to evaluate.
    static void ExpectAnimates(SceneGraph& graph) {
        for (int32_t i = 0; i < graph.GetChannelCount(); ++i) ASSERT_GE(graph.GetChannel(i)->GetKeyCount(), 1);
        for (float t : {-5.0f, 0.0f, 12.5f, 1e6f}) graph.Animate(t);
    }
    test::ScratchDir dir;
    TextureManager textures;
    std::ostringstream echo;
    LwsReader reader{echo};
};

TEST_F(LwsDamageTest, ChannelCountsAreClampedToNine) {
    // Twelve values on the key line: nine are read and the parameter line is still in step.
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LoadObject Null", "ObjectMotion"}) +
             Motion("12", {{"1 2 3 0 0 0 5 6 7 8 8 8", "15 0 0 0 0"}}) + Lines({"ParentObject 0", ""}));
    ASSERT_NE(graph, nullptr);
    const SceneNode* node = graph->GetNode(0);
    EXPECT_EQ(node->GetScaleChannel()->GetFirst()->values[2], 7.0f);
    EXPECT_EQ(node->GetPositionChannel()->GetFirst()->time, 15.0f);

    // Fewer channels than nine, or a negative count: the channels not given leave the node as it
    // is (no offset or turn, unit scale).
    for (const char* channels : {"3", "-4"}) {
        graph = Load(Lines({"LoadObject Null", "ObjectMotion"}) + Motion(channels, {{"1 2 3", "0 0 0 0 0"}}) + Lines({""}));
        ASSERT_NE(graph, nullptr);
        graph->Animate(0);
        const SceneNode* n = graph->GetNode(0);
        EXPECT_EQ(n->position.x, channels[0] == '3' ? 1.0f : 0.0f);
        EXPECT_EQ(n->rotation.y, 0.0f);
        EXPECT_EQ(n->scale.x, 1.0f);
        EXPECT_EQ(n->scale.z, 1.0f);
    }
}

TEST_F(LwsDamageTest, KeyCountsGoOnlyAsFarAsTheFile) {
    // A negative count: no keys, so no channels; the block goes on after the motion.
    std::unique_ptr<SceneGraph> graph = Load(Lines({"LoadObject Null", "", "LoadObject Null", "ObjectMotion"}) +
                                             Motion("9", {}, "\r\n", "-5") + Lines({"ParentObject 1", ""}));
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_EQ(graph->GetNode(1)->GetPositionChannel(), nullptr);
    EXPECT_EQ(graph->GetNode(1)->GetParent(), graph->GetNode(0));

    // A count of two thousand million over two keys: the motion keeps those two and stops at the
    // empty line, which ends the block too; the next item is read as usual.
    graph = Load(Lines({"LoadObject Null", "ObjectMotion", "  9", "  2000000000", "1 0 0 0 0 0 1 1 1", "0 0 0 0 0",
                        "2 0 0 0 0 0 1 1 1", "10 0 0 0 0", "", "LoadObject Null", ""}));
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_EQ(graph->GetNode(0)->GetPositionChannel()->GetKeyCount(), 2);
    ExpectAnimates(*graph);
}

TEST_F(LwsDamageTest, AFileEndingInsideAMotionKeepsItsWholeKeys) {
    const std::string whole = Lines({"LoadObject Null", "ObjectMotion"}) +
                              Motion("9", {{"1 0 0 0 0 0 1 1 1", "0 0 0 0 0"}, {"2 0 0 0 0 0 1 1 1", "10 0 0 0 0"}});
    // Cut inside the second key's parameter line: only the first key is whole.
    const std::string cut = whole.substr(0, whole.find("10 0 0"));
    std::unique_ptr<SceneGraph> graph = Load(cut);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->GetNode(0)->GetPositionChannel()->GetKeyCount(), 1);

    // Every prefix of the file, in both line-end styles, loads and animates.
    for (const std::string& text : {whole, Lines({"LoadObject Null", "ObjectMotion"}, "\n") +
                                               Motion("9", {{"1 0 0 0 0 0 1 1 1", "0 0 0 0 0"}}, "\n")}) {
        for (size_t length = 0; length <= text.size(); ++length) {
            if (std::unique_ptr<SceneGraph> g = Load(text.substr(0, length))) ExpectAnimates(*g);
        }
    }
}

TEST_F(LwsDamageTest, ParentsAndTargetsThatPointNowhereOrInLoops) {
    // 1 and 2 name each other as parents, 3 -> 4 -> 5 -> 3 close a longer loop, 6 names an item
    // far beyond the list, 7 itself, 8 a negative number; camera 9 aims at itself.
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LoadObject Null", "ParentObject 2", "", "LoadObject Null", "ParentObject 1", "",
                    "LoadObject Null", "ParentObject 4", "", "LoadObject Null", "ParentObject 5", "",
                    "LoadObject Null", "ParentObject 3", "", "LoadObject Null", "ParentObject 99999", "",
                    "LoadObject Null", "ParentObject 7", "", "LoadObject Null", "ParentObject -3", "",
                    "ShowCamera", "TargetObject 9", "", "ShowCamera", "TargetObject 2147483647", ""}));
    ASSERT_NE(graph, nullptr);
    ASSERT_EQ(graph->GetNodeCount(), 10);
    // The link that would close each loop is refused, so each loop keeps one root.
    EXPECT_EQ(graph->GetNode(0)->GetParent(), graph->GetNode(1));
    EXPECT_EQ(graph->GetNode(1)->GetParent(), nullptr);
    EXPECT_EQ(graph->GetNode(2)->GetParent(), graph->GetNode(3));
    EXPECT_EQ(graph->GetNode(3)->GetParent(), graph->GetNode(4));
    EXPECT_EQ(graph->GetNode(4)->GetParent(), nullptr);
    for (int i = 5; i < 10; ++i) {
        EXPECT_EQ(graph->GetNode(i)->GetParent(), nullptr);
        EXPECT_EQ(graph->GetNode(i)->GetTarget(), nullptr);
    }
    EXPECT_EQ(graph->GetRootCount(), 7);
    ExpectAnimates(*graph);
}

TEST_F(LwsDamageTest, LinesLongerThan511CharactersAreIgnored) {
    const std::string longName(600, 'x');
    const std::string longKey = "5 5 5 0 0 0 1 1 1" + std::string(600, ' ');
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"FirstFrame 3 " + longName, "LoadObject " + longName, "", "LoadObject Null", "ObjectMotion", "  9",
                    "  1", longKey, "7 0 0 0 0", "EndBehavior 1", ""}));
    ASSERT_NE(graph, nullptr);
    // Neither long line was read: no FirstFrame echo, no item from the long object name.
    EXPECT_EQ(echo.str().find("FirstFrame"), std::string::npos);
    ASSERT_EQ(graph->GetNodeCount(), 1);
    // The long key line counted as the key's value line but gave no value.
    const ChannelKey* key = graph->GetNode(0)->GetPositionChannel()->GetFirst();
    EXPECT_EQ(key->values[0], 0.0f);
    EXPECT_EQ(key->time, 7.0f);
}

TEST_F(LwsDamageTest, KeysWithEqualFramesEvaluateToTheirValues) {
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"LoadObject Null", "ObjectMotion"}) +
             Motion("9", {{"0 0 0 0 0 0 1 1 1", "0 0 0 0 0"}, {"1 0 0 0 0 0 1 1 1", "10 0 0 0 0"},
                          {"2 0 0 0 0 0 1 1 1", "10 0 0 0 0"}, {"3 0 0 0 0 0 1 1 1", "10 0 0 0 0"},
                          {"4 0 0 0 0 0 1 1 1", "20 0 0 0 0"}, {"5 0 0 0 0 0 1 1 1", "20 0 0 0 0"}}) +
             Lines({""}));
    ASSERT_NE(graph, nullptr);
    SceneNode* node = graph->GetNode(0);
    for (float t = -1.0f; t <= 21.0f; t += 0.25f) {
        graph->Animate(t);
        ASSERT_TRUE(std::isfinite(node->position.x)) << "at " << t;
        ASSERT_GE(node->position.x, -1.0f);
        ASSERT_LE(node->position.x, 6.0f);
    }
    // At frame 10 exactly the output is one of the three keys written for it.
    graph->Animate(10.0f);
    EXPECT_TRUE(node->position.x == 1.0f || node->position.x == 2.0f || node->position.x == 3.0f);
}

// Every byte of a scene replaced by characters that end lines early, join them, or turn numbers
// huge or negative: whatever loads animates.
TEST_F(LwsDamageTest, MangledScenesLoadSafely) {
    const std::string box = dir.Write("box.lwo", test::SquareObject("Box").Build());
    const std::string text = Lines({"FirstFrame 1", "LoadObject " + box, "ObjectMotion"}) +
                             Motion("9", {{"1 2 3 4 5 6 1 1 1", "0 0 0 0 0"}, {"2 2 3 4 5 6 1 1 1", "10 0 0 0 0"}}) +
                             Lines({"ParentObject 3", "", "LoadObject Null", "ParentObject 1", "", "AddLight",
                                    "LightMotion"}) +
                             Motion("9", {{"0 0 0 0 0 0 1 1 1", "0 0 0 0 0"}}) +
                             Lines({"LightColor 1 1 1", "", "ShowCamera", "CameraMotion"}) +
                             Motion("9", {{"0 0 -5 0 0 0 1 1 1", "0 0 0 0 0"}}) + Lines({"TargetObject 1", ""});
    for (size_t at = 0; at < text.size(); ++at) {
        for (char c : {'\0', '\n', '\r', ' ', '-', '9'}) {
            std::string mangled = text;
            mangled[at] = c;
            if (std::unique_ptr<SceneGraph> graph = Load(mangled)) ExpectAnimates(*graph);
        }
    }
}

}  // namespace
}  // namespace cm
