#include <gtest/gtest.h>

#include "scene/LwsScene.h"

namespace cm {
namespace {

int g_liveItems = 0;
struct CountedMesh : LwsMeshItem {
    CountedMesh() { ++g_liveItems; }
    ~CountedMesh() override { --g_liveItems; }
};
struct CountedLight : LwsLightItem {
    CountedLight() { ++g_liveItems; }
    ~CountedLight() override { --g_liveItems; }
};

TEST(LwsRecords, SceneReleasesEachItemAndMotionOnce) {
    g_liveItems = 0;
    {
        LwsScene scene;
        auto* mesh = new CountedMesh;
        auto* light = new CountedLight;
        auto* cam = new LwsCameraItem;
        auto* helper = new LwsHelperItem;
        EXPECT_TRUE(scene.AddMeshItem(mesh));
        EXPECT_TRUE(scene.AddLightItem(light));
        EXPECT_TRUE(scene.AddCameraItem(cam));
        EXPECT_TRUE(scene.AddHelperItem(helper));
        EXPECT_FALSE(scene.AddMeshItem(mesh));  // held once, released once
        EXPECT_FALSE(scene.AddHelperItem(nullptr));
        ASSERT_EQ(scene.GetItemCount(), 4);

        auto* motion = new LwsMotion;
        EXPECT_TRUE(scene.AddMotion(motion));
        EXPECT_FALSE(scene.AddMotion(motion));
        mesh->SetPositionMotion(motion);  // shared, owned by the scene alone
        EXPECT_EQ(g_liveItems, 2);
    }
    EXPECT_EQ(g_liveItems, 0);
}

}  // namespace
}  // namespace cm
