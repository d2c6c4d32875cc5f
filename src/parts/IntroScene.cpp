#include "parts/IntroScene.h"

#include "parts/Fog.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

#include <cmath>

namespace cm {

IntroScene::IntroScene() = default;
IntroScene::~IntroScene() = default;

bool IntroScene::Load(const PartResources& resources) {
    std::unique_ptr<SceneGraph> read = resources.ReadScene("data\\introScene.lws");
    if (!read || read->GetMeshCount() < 2 || read->GetCameraCount() < 1) return false;
    // Only FramePart turns the two meshes, from the node default of 0.
    read->GetMesh(0)->SetRotationChannel(nullptr);
    read->GetMesh(1)->SetRotationChannel(nullptr);
    // No depth buffer, no lighting: the shells are drawn additively through each other.
    read->SetRenderFlags(0);
    scene = std::move(read);
    logo = resources.textures->Load("data\\introLogo.jpg");
    poses.Keep(scene->GetMesh(0));
    poses.Keep(scene->GetMesh(1));
    return logo != nullptr;
}

void IntroScene::Pulse(float t, float& a, float& b) {
    // The second pulse scales the first as stored, rounded to float.
    a = float(std::sin(0.15 * t) * 20.0);
    b = float(double(a) * 0.7058824);
}

bool IntroScene::FramePart(float dt) {
    float a = 0.0f, b = 0.0f;
    Pulse(t, a, b);
    EnableLinearFog(1.0f, 0x00000000u);
    SetLinearFiltering(0);

    Mesh* m0 = scene->GetMesh(0);
    Mesh* m1 = scene->GetMesh(1);
    m0->rotation.x -= 0.063f * dt;
    m0->rotation.y -= 0.05f * dt;
    m0->rotation.z += 0.04f * dt;
    m1->rotation.x -= 0.043f * dt;
    m1->rotation.y += 0.02f * dt;
    m1->rotation.z -= 0.05f * dt;

    scene->Render(t);
    DisableFog();
    // A 256 x 128 rectangle centred on the screen, grown by (a, b) on every side.
    logo->DrawScreenQuad(192.0f - a, 176.0f - b, 448.0f + a, 304.0f + b, 1, 1);
    t += dt;
    return true;
}

}  // namespace cm
