// The shipped pack read by the show's own readers, as the parts load it: every scene becomes a
// graph holding each item the generator wrote, with its kind, links and keys; every textured
// surface finds its image.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

#include "TestShow.h"
#include "display/DisplayDevice.h"
#include "lightwave/LwsReader.h"
#include "platform/window/Window.h"  // DisplayDevice holds a unique_ptr<Window>
#include "resources/PackArchive.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"
#include "scene/Camera.h"
#include "scene/KeyChannel.h"
#include "scene/Material.h"
#include "scene/SceneGraph.h"
#include "scene/TextureMap.h"

namespace cm::content::test {
namespace {

// A channel as read holds the written keys in order, at their frames, with the values at the
// given indices of each written key times factor.
void ExpectKeys(const KeyChannel* channel, const std::vector<LwsKey>& keys, std::array<int, 3> from, float factor) {
    ASSERT_NE(channel, nullptr);
    ASSERT_EQ(channel->GetKeyCount(), int(keys.size()));
    const ChannelKey* read = channel->GetFirst();
    for (const LwsKey& key : keys) {
        EXPECT_EQ(read->time, float(key.frame));
        for (int v = 0; v < 3; ++v) {
            const float written = key.values[from[v]] * factor;
            EXPECT_NEAR(read->values[v], written, 2e-6f * std::max(1.0f, std::fabs(written))) << "frame " << key.frame;
        }
        read = read->next;
    }
}

TEST(ReaderLoad, EverySceneBuildsEachItemWithItsKindLinksKeysAndTexturedSurfaces) {
    DisplayDevice display;
    ASSERT_TRUE(display.CreateHeadless(640, 480, 0, "content", nullptr));
    ASSERT_TRUE(MountPack((std::filesystem::path(CM_BINARY_DIR) / "bin" / "kelvarin.pak").string().c_str()));
    TextureManager textures;
    for (const auto& [name, scene] : Show().scenes) {
        SCOPED_TRACE(name);
        std::ostringstream echo;
        LwsReader reader(echo);
        const std::unique_ptr<SceneGraph> graph = reader.Load(name.c_str(), &textures);
        ASSERT_NE(graph, nullptr);
        for (const std::string& line : reader.GetDamage()) ADD_FAILURE() << line;

        const std::vector<LwsItemDef>& items = scene.Items();
        ASSERT_EQ(graph->GetNodeCount(), int(items.size())) << "an item gave no node";
        auto node = [&](int number) { return number ? graph->GetNode(number - 1) : nullptr; };
        std::set<std::string> texturedSurfaces;
        for (int i = 0; i < int(items.size()); ++i) {
            SCOPED_TRACE(testing::Message() << "item " << i + 1);
            const LwsItemDef& item = items[size_t(i)];
            const int kinds[] = {kNodeMesh, kNodeHelper, kNodeCamera};
            EXPECT_EQ(node(i + 1)->GetKind(), kinds[item.kind]);
            EXPECT_EQ(node(i + 1)->GetParent(), node(item.parent));
            EXPECT_EQ(node(i + 1)->GetTarget(), node(item.target));
            // Heading and pitch in degrees become the y and x angles in radians.
            ExpectKeys(node(i + 1)->GetPositionChannel(), item.keys, {0, 1, 2}, 1);
            ExpectKeys(node(i + 1)->GetRotationChannel(), item.keys, {4, 3, 5}, 3.14159265f / 180);
            ExpectKeys(node(i + 1)->GetScaleChannel(), item.keys, {6, 7, 8}, 1);
            if (item.kind != LwsItemDef::kObject) continue;
            for (const LwoSurfaceDef& s : Show().objects.at(item.objectFile).Surfaces())
                if (s.textured) texturedSurfaces.insert(s.name);
        }
        ASSERT_EQ(graph->GetCameraCount(), 1);
        EXPECT_NE(graph->GetCamera(0)->GetTarget(), nullptr);

        int textured = 0;
        for (int i = 0; i < graph->GetMaterialCount(); ++i) {
            const Material* m = graph->GetMaterial(i);
            if (!(m->GetFlags() & kMaterialTextured)) continue;
            ++textured;
            ASSERT_NE(m->GetTextureMap(), nullptr);
            EXPECT_NE(m->GetTextureMap()->GetTexture(), nullptr);
        }
        EXPECT_EQ(textured, int(texturedSurfaces.size())) << "a surface's image was not found";
    }
    UnmountPack();
}

}  // namespace
}  // namespace cm::content::test
