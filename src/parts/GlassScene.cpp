#include "parts/GlassScene.h"

#include "math/Matrix4.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

namespace cm {

GlassScene::GlassScene() : tube(GlassTubeConfig()), blob(GlassBlobParameters()) {}
GlassScene::~GlassScene() = default;

bool GlassScene::Load(const PartResources& resources) {
    std::unique_ptr<SceneGraph> read = resources.ReadScene("data\\glassScene.lws");
    if (!read || read->GetCameraCount() < 1 || read->GetMaterialCount() < 1 || !blob.Prepare(*read)) return false;
    // The first material alone is forced opaque, one-sided and environment-mapped.
    read->GetMaterial(0)->SetFlags(kMaterialTextured | kMaterialVertexUV);
    scene = std::move(read);
    background = resources.textures->Load("data\\glassBackground.jpg");
    if (background == nullptr) return false;
    if (!tube.AttachTexture(resources.textures->Load("data\\glassTexture01.jpg"))) return false;
    poses.Keep(blob.GetMesh());
    Reset();
    return true;
}

bool GlassScene::FramePart(float dt) {
    Mesh* mesh = blob.GetMesh();
    mesh->rotation.x += 0.03f * dt;
    mesh->rotation.y -= 0.05f * dt;
    mesh->rotation.z += 0.04f * dt;
    blob.Deform(t);
    scene->Render(t);
    background->DrawScreenQuad(0.0f, 0.0f, 640.0f, 480.0f, 1, 1);
    // The tube has its own fixed eye; the projection stays the one the scene render set.
    Matrix4 view;
    view.LookAt(Vector3(2.0f, 1.0f, -7.0f), Vector3(0.0f, 0.0f, 0.0f), 0.0f, Vector3(0.0f, 1.0f, 0.0f));
    SetViewMatrix(&view);
    tube.Draw(0.04f * (t + 100.0f));
    t += dt;
    return true;
}

}  // namespace cm
