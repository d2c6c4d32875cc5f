#include "parts/DistortScene.h"

#include "resources/Texture.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

#include <cmath>

namespace cm {

DistortScene::DistortScene() : tube(DistortTubeConfig()), blob(DistortBlobParameters()) {}
DistortScene::~DistortScene() = default;

bool DistortScene::Load(const PartResources& resources) {
    background = resources.textures->Load("data\\distortBackground.jpg");
    if (background == nullptr) return false;
    if (!tube.AttachTexture(resources.textures->Load("data\\distortTexture01.jpg"))) return false;
    std::unique_ptr<SceneGraph> read = resources.ReadScene("data\\distort.lws");
    if (!read || read->GetCameraCount() < 1 || !blob.Prepare(*read)) return false;
    // Every material glows over the background and takes the environment-mapped coordinates.
    for (int32_t i = 0; i < read->GetMaterialCount(); ++i) {
        Material* m = read->GetMaterial(i);
        m->SetFlags(m->GetFlags() | kMaterialAdditive | kMaterialVertexUV);
    }
    scene = std::move(read);
    poses.Keep(blob.GetMesh());
    Reset();
    return true;
}

bool DistortScene::FramePart(float dt) {
    EnablePerspectiveCorrection();
    SetLinearFiltering(0);
    DisableZBuffer();
    tube.Draw(0.05f * t);
    tube.Draw(0.02f * (t + 300.0f));
    background->DrawScreenQuad(0.0f, 0.0f, 640.0f, 480.0f, 1, 1);

    Mesh* mesh = blob.GetMesh();
    mesh->rotation.x += 0.1f * dt;
    mesh->rotation.y += 0.1f * dt;
    mesh->rotation.z += 0.1f * dt;
    // Bobs along z only; x and y stay at the node default 0.
    mesh->position.z = float(1.5 * std::sin(0.1 * t));
    blob.Deform(t);
    scene->Render(t);
    t += dt;
    return true;
}

}  // namespace cm
