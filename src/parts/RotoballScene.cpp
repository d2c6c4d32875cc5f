#include "parts/RotoballScene.h"

#include "parts/Fog.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

#include <cmath>

namespace cm {

RotoballScene::RotoballScene() : blob(RotoballBlobParameters()) {}
RotoballScene::~RotoballScene() = default;

bool RotoballScene::Load(const PartResources& resources) {
    std::unique_ptr<SceneGraph> rings = resources.ReadScene("data\\rotoballScene.lws");
    if (!rings || rings->GetMeshCount() < 2 || rings->GetCameraCount() < 1) return false;
    rings->GetMesh(0)->SetRotationChannel(nullptr);
    rings->GetMesh(1)->SetRotationChannel(nullptr);
    rings->SetRenderFlags(0);
    scene = std::move(rings);

    backdrop = resources.textures->Load("data\\rotoball.jpg");
    if (backdrop == nullptr) return false;

    std::unique_ptr<SceneGraph> second = resources.ReadScene("data\\roto2.lws");
    if (!second || second->GetCameraCount() < 1 || second->GetMaterialCount() < 1 || !blob.Prepare(*second)) {
        return false;
    }
    second->GetMaterial(0)->SetFlags(kMaterialTextured | kMaterialVertexUV);
    blobScene = std::move(second);
    poses.Keep(scene->GetMesh(0));
    poses.Keep(scene->GetMesh(1));
    poses.Keep(blob.GetMesh());
    return true;
}

float RotoballScene::FogEnd(float t) { return float(0.15 * std::sin(0.1 * t) + 0.8); }

bool RotoballScene::FramePart(float dt) {
    backdrop->DrawScreenQuad(0.0f, 0.0f, 640.0f, 480.0f, 1, 0);
    EnableLinearFog(FogEnd(t), 0x00000000u);
    SetLinearFiltering(0);

    Mesh* m0 = scene->GetMesh(0);
    Mesh* m1 = scene->GetMesh(1);
    m0->rotation.x -= 0.063f * dt;
    m0->rotation.y += 0.05f * dt;
    m0->rotation.z += 0.04f * dt;
    m1->rotation.x += 0.043f * dt;
    m1->rotation.y += 0.05f * dt;
    m1->rotation.z -= 0.06f * dt;
    // This render switches fog off before its flares, so the blob scene below is never fogged.
    scene->Render(t);

    Mesh* ball = blob.GetMesh();
    ball->rotation.x += 0.03f * dt;
    ball->rotation.y -= 0.05f * dt;
    ball->rotation.z += 0.04f * dt;
    blob.Deform(t);
    blobScene->Render(t);
    t += dt;
    return true;
}

}  // namespace cm
