// The shipped pack read by the show's own readers, as the parts load it: every scene becomes a
// graph with all its objects, nulls and camera; every textured surface finds its image; every
// image a part names loads as a texture.
#include <gtest/gtest.h>

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
#include "scene/Material.h"
#include "scene/Mesh.h"
#include "scene/SceneGraph.h"
#include "scene/TextureMap.h"

namespace cm::content::test {
namespace {

class ReaderLoad : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display_.CreateHeadless(640, 480, 0, "content", nullptr));
        const std::string pak = (std::filesystem::path(CM_BINARY_DIR) / "bin" / "kelvarin.pak").string();
        ASSERT_TRUE(MountPack(pak.c_str()));
    }
    void TearDown() override {
        UnmountPack();
        display_.Destroy();
    }
    DisplayDevice display_;
    TextureManager textures_;
};

TEST_F(ReaderLoad, EverySceneBuildsItsWholeGraphWithTexturedSurfaces) {
    for (const auto& [name, scene] : Show().scenes) {
        SCOPED_TRACE(name);
        std::ostringstream echo;
        LwsReader reader(echo);
        const std::unique_ptr<SceneGraph> graph = reader.Load(name.c_str(), &textures_);
        ASSERT_NE(graph, nullptr);
        EXPECT_TRUE(reader.GetDamage().empty());

        int objects = 0, nulls = 0;
        std::set<std::string> texturedSurfaces;
        for (const LwsItemDef& item : scene.Items()) {
            objects += item.kind == LwsItemDef::kObject;
            nulls += item.kind == LwsItemDef::kNull;
            if (item.kind != LwsItemDef::kObject) continue;
            for (const LwoSurfaceDef& s : Show().objects.at(item.objectFile).Surfaces())
                if (s.textured) texturedSurfaces.insert(s.name);
        }
        EXPECT_EQ(graph->GetMeshCount(), objects) << "an object did not load";
        EXPECT_EQ(graph->GetHelperCount(), nulls);
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
}

TEST_F(ReaderLoad, BlobScenesStartWithTheirTexturedBlob) {
    // Glass and the second rotoball scene force flag 0x408 onto material 0: it must be the
    // blob's, and carry a texture.
    for (const char* name : {"data\\glassScene.lws", "data\\roto2.lws", "data\\distort.lws"}) {
        SCOPED_TRACE(name);
        std::ostringstream echo;
        LwsReader reader(echo);
        const std::unique_ptr<SceneGraph> graph = reader.Load(name, &textures_);
        ASSERT_NE(graph, nullptr);
        ASSERT_GE(graph->GetMaterialCount(), 1);
        const TextureMap* map = graph->GetMaterial(0)->GetTextureMap();
        ASSERT_NE(map, nullptr);
        EXPECT_NE(map->GetTexture(), nullptr);
        EXPECT_GE(graph->GetMesh(0)->GetFaceCount(), 2000);
    }
}

TEST_F(ReaderLoad, EveryImageAPartNamesLoadsAsATexture) {
    for (const char* name : {"data\\introLogo.jpg", "data\\tunnelBackground.jpg", "data\\tunnelTexture.jpg",
                             "data\\roomFlare_1.jpg", "data\\distortTexture01.jpg", "data\\distortBackground.jpg",
                             "data\\glassBackground.jpg", "data\\glassTexture01.jpg", "data\\rotoball.jpg",
                             "data\\scroll.jpg", "data\\endBackground.jpg"}) {
        SCOPED_TRACE(name);
        const Texture* t = textures_.Load(name);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(int(t->GetWidth()), Show().images.at(name).Width());
        EXPECT_EQ(int(t->GetHeight()), Show().images.at(name).Height());
    }
}

}  // namespace
}  // namespace cm::content::test
