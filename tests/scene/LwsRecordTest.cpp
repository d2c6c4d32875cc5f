#include <gtest/gtest.h>

#include "scene/LwsScene.h"

namespace cm {
namespace {

TEST(LwsRecords, MotionRefusesBadCountsAndKeysRefuseBadIndices) {
    LwsMotion m;
    ASSERT_TRUE(m.Init(4, 3));
    EXPECT_EQ(m.GetKey(4), nullptr);
    EXPECT_FALSE(m.Init(-1, 3));
    EXPECT_FALSE(m.Init(2, 1 << 30));  // a damaged count, not an allocation
    EXPECT_EQ(m.GetKeyCount(), 4);
    LwsKey* k = m.GetKey(3);
    EXPECT_TRUE(k->SetValue(2, 5.0f));
    EXPECT_FALSE(k->SetValue(3, 5.0f));
    EXPECT_EQ(k->GetValue(2), 5.0f);
    EXPECT_EQ(k->GetValue(-1), 0.0f);
}

int g_liveItems = 0;
struct CountedMesh : LwsMeshItem {
    CountedMesh() { ++g_liveItems; }
    ~CountedMesh() override { --g_liveItems; }
};
struct CountedLight : LwsLightItem {
    CountedLight() { ++g_liveItems; }
    ~CountedLight() override { --g_liveItems; }
};

TEST(LwsRecords, SceneKeepsFileOrderAcrossKindsAndReleasesEachItemOnce) {
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
        // Parent and target numbers in the file are 1-based positions in this list.
        EXPECT_EQ(scene.GetItem(0), mesh);
        EXPECT_EQ(scene.GetItem(2)->GetKind(), kLwsCamera);
        EXPECT_EQ(scene.GetItem(4), nullptr);

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
