// Damaged scene files: clamped or refused with a safe result, no hang, no huge allocation.
#include "lightwave/LwsReader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "LightWaveFiles.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

namespace cm {
namespace {

using test::Lines;

class LwsDamageTest : public ::testing::Test {
protected:
    std::unique_ptr<SceneGraph> Load(const std::string& text) {
        return reader.LoadBytes(test::Bytes(text.begin(), text.end()), dir.Path("s.lws").c_str(), &textures);
    }
    // Animating ends, and every channel has keys to evaluate.
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
    // Twelve values: nine are read, and the parameter line after them is still in step.
    std::unique_ptr<SceneGraph> graph = Load(Lines(
        {"LoadObject Null", "ObjectMotion", "12", "1", "1 2 3 0 0 0 5 6 7 8 8 8", "15 0 0 0 0", "EndBehavior 1", ""}));
    EXPECT_EQ(graph->GetNode(0)->GetScaleChannel()->GetFirst()->values[2], 7.0f);
    EXPECT_EQ(graph->GetNode(0)->GetScaleChannel()->GetFirst()->time, 15.0f);
    // Three channels, or a negative count: what is not given leaves the node as it is.
    for (const char* channels : {"3", "-4"}) {
        graph = Load(Lines({"LoadObject Null", "ObjectMotion", channels, "1", "1 2 3", "0 0 0 0 0", "EndBehavior 1", ""}));
        graph->Animate(0);
        EXPECT_EQ(graph->GetNode(0)->position.x, channels[0] == '3' ? 1.0f : 0.0f);
        EXPECT_EQ(graph->GetNode(0)->scale.z, 1.0f);
    }
}

TEST_F(LwsDamageTest, KeyCountsGoOnlyAsFarAsTheFile) {
    // Negative: no keys and no channel; the block goes on after the motion.
    std::unique_ptr<SceneGraph> graph = Load(Lines({"LoadObject Null", "", "LoadObject Null", "ObjectMotion", "9", "-5",
                                                    "EndBehavior 1", "ParentObject 1", ""}));
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_EQ(graph->GetNode(1)->GetPositionChannel(), nullptr);
    EXPECT_EQ(graph->GetNode(1)->GetParent(), graph->GetNode(0));

    // Two thousand million announced, two given: the empty line ends the motion and its block.
    graph = Load(Lines({"LoadObject Null", "ObjectMotion", "9", "2000000000", "1 0 0 0 0 0 1 1 1", "0 0 0 0 0",
                        "2 0 0 0 0 0 1 1 1", "10 0 0 0 0", "", "LoadObject Null", ""}));
    ASSERT_EQ(graph->GetNodeCount(), 2);
    EXPECT_EQ(graph->GetNode(0)->GetPositionChannel()->GetKeyCount(), 2);

    // The file ends inside the second key: only the whole first key is kept. Every other prefix,
    // with either line end, loads and animates.
    const std::string motion = Lines({"LoadObject Null", "ObjectMotion", "9", "2", "1 0 0 0 0 0 1 1 1", "0 0 0 0 0",
                                      "2 0 0 0 0 0 1 1 1", "10 0 0 0 0", "EndBehavior 1"});
    EXPECT_EQ(Load(motion.substr(0, motion.find("10 0")))->GetNode(0)->GetPositionChannel()->GetKeyCount(), 1);
    std::string lf = motion;
    std::erase(lf, '\r');
    for (const std::string& text : {motion, lf}) {
        for (size_t n = 0; n <= text.size(); ++n) {
            if (std::unique_ptr<SceneGraph> g = Load(text.substr(0, n))) ExpectAnimates(*g);
        }
    }
}

TEST_F(LwsDamageTest, ParentsAndTargetsThatPointNowhereOrInLoops) {
    // 1 <-> 2 and 3 -> 4 -> 5 -> 3 loop; 6 names an item far beyond the list, 7 itself, 8 a
    // negative number; camera 9 aims at itself, camera 10 beyond the list.
    std::unique_ptr<SceneGraph> graph = Load(Lines(
        {"LoadObject Null", "ParentObject 2", "", "LoadObject Null", "ParentObject 1", "", "LoadObject Null",
         "ParentObject 4", "", "LoadObject Null", "ParentObject 5", "", "LoadObject Null", "ParentObject 3", "",
         "LoadObject Null", "ParentObject 99999", "", "LoadObject Null", "ParentObject 7", "", "LoadObject Null",
         "ParentObject -3", "", "ShowCamera", "TargetObject 9", "", "ShowCamera", "TargetObject 2147483647", ""}));
    ASSERT_EQ(graph->GetNodeCount(), 10);
    // The link that would close each loop is refused; each loop keeps one root.
    EXPECT_EQ(graph->GetNode(0)->GetParent(), graph->GetNode(1));
    EXPECT_EQ(graph->GetNode(1)->GetParent(), nullptr);
    EXPECT_EQ(graph->GetNode(3)->GetParent(), graph->GetNode(4));
    EXPECT_EQ(graph->GetNode(4)->GetParent(), nullptr);
    for (int i = 5; i < 10; ++i) EXPECT_TRUE(graph->GetNode(i)->GetParent() == nullptr && graph->GetNode(i)->GetTarget() == nullptr);
    EXPECT_EQ(graph->GetRootCount(), 7);
    ExpectAnimates(*graph);
}

TEST_F(LwsDamageTest, LinesLongerThan511CharactersAreIgnored) {
    const std::string name(600, 'x');
    std::unique_ptr<SceneGraph> graph =
        Load(Lines({"FirstFrame 3 " + name, "LoadObject " + name, "", "LoadObject Null", "ObjectMotion", "9", "1",
                    "5 5 5 0 0 0 1 1 1" + std::string(600, ' '), "7 0 0 0 0", "EndBehavior 1", ""}));
    EXPECT_EQ(echo.str().find("FirstFrame"), std::string::npos);
    ASSERT_EQ(graph->GetNodeCount(), 1);
    // The long key line still counted as the key's value line but gave no value.
    EXPECT_EQ(graph->GetNode(0)->GetPositionChannel()->GetFirst()->values[0], 0.0f);
    EXPECT_EQ(graph->GetNode(0)->GetPositionChannel()->GetFirst()->time, 7.0f);
}

TEST_F(LwsDamageTest, HugeScenesAreBounded) {
    // 5000 null objects, each the parent of the one before, and a motion of 5000 keys: 4096 of
    // each are kept, the chain animates without running out of stack.
    std::string text = Lines({"LoadObject Null", "ObjectMotion", "9", "5000"});
    for (int k = 0; k < 5000; ++k) text += Lines({"1 0 0 0 0 0 1 1 1", std::to_string(k) + " 0 0 0 0"});
    text += Lines({"EndBehavior 1", "ParentObject 2", ""});
    for (int i = 2; i <= 5000; ++i) text += Lines({"LoadObject Null", "ParentObject " + std::to_string(i + 1), ""});
    std::unique_ptr<SceneGraph> graph = Load(text);
    ASSERT_EQ(graph->GetNodeCount(), 4096);
    EXPECT_EQ(graph->GetNode(0)->GetPositionChannel()->GetKeyCount(), 4096);
    ASSERT_EQ(graph->GetRootCount(), 1);
    graph->Animate(0.0f);
    EXPECT_FLOAT_EQ(graph->GetNode(0)->matrix.m[12], 1.0f);
}

}  // namespace
}  // namespace cm
