#include "parts/RoomScene.h"

#include "math/Color4.h"
#include "math/Matrix4.h"
#include "parts/Fog.h"
#include "parts/ProgramRandom.h"
#include "resources/TextureManager.h"
#include "scene/LensFlare.h"
#include "scene/Material.h"
#include "scene/SceneGraph.h"
#include "scene/TextureMap.h"

#include <ctime>

namespace cm {

namespace {
constexpr uint32_t kWhiteFog = 0x00FFFFFFu;      // red, green, blue 255, alpha 0
constexpr uint32_t kLightGreyFog = 0x00C0C0C0u;  // 192 each
constexpr float kFogEnd = 5.5f;
constexpr int32_t kSparkMaterialFlags = kMaterialTextured | kMaterialAdditive | kMaterialTwoSided;  // 0x288
}  // namespace

RoomScene::RoomScene() : tube(RoomTubeConfig()) {}
RoomScene::~RoomScene() = default;

bool RoomScene::Load(const PartResources& resources) {
    std::unique_ptr<SceneGraph> read = resources.ReadScene("data\\roomScene.lws");
    // The fountain rises from the second null object and faces the first camera.
    if (!read || read->GetHelperCount() < 2 || read->GetCameraCount() < 1) return false;
    // Faces take their material's diffuse colour as vertex colour: white shows the textures as
    // they are.
    for (int32_t i = 0; i < read->GetMaterialCount(); ++i) read->GetMaterial(i)->SetDiffuse(Color4(1, 1, 1, 1));
    read->SetRenderFlags(kRenderDepth);
    scene = std::move(read);

    Texture* flareTexture = resources.textures->Load("data\\roomFlare_1.jpg");
    if (flareTexture == nullptr) return false;
    sparkMaterial = std::make_unique<Material>();
    TextureMap* map = sparkMaterial->AdoptMap(std::make_unique<TextureMap>());
    if (map == nullptr) return false;
    map->AttachTexture(flareTexture);
    sparkMaterial->SetTextureMap(map);
    sparkMaterial->SetFlags(kSparkMaterialFlags);
    sparkMaterial->SetDiffuse(Color4(1, 1, 1, 1));

    sparkFlare = std::make_unique<LensFlare>();
    sparkFlare->SetSize(0.06f);
    sparkFlare->AttachMaterial(sparkMaterial.get());

    loadSeed = sparkSeed ? *sparkSeed : static_cast<uint32_t>(std::time(nullptr));
    RewindSparks();

    // The texture store hands back the distort part's texture, already loaded.
    if (!tube.AttachTexture(resources.textures->Load("data\\distortTexture01.jpg"))) return false;
    Reset();
    return true;
}

void RoomScene::RewindSparks() {
    SeedProgramRandom(loadSeed);
    emitter.reset();
    sparkPool = std::make_unique<SparkPool>(kSparkCount);
    emitter = std::make_unique<SparkEmitter>(*sparkPool);
}

void RoomScene::Reset() {
    t = 0.0f;
    tubeStarted = false;
    fixedViewStarted = false;
}

void RoomScene::FogAndRender(uint32_t fogColor, float sceneTime) {
    EnableLinearFog(kFogEnd, fogColor);
    scene->Render(sceneTime);
    DisableFog();
}

bool RoomScene::FrameSparks(float dt, int64_t sparkSteps) {
    FogAndRender(kWhiteFog, 6.0f * t + 1500.0f);
    // The helper's own position field: the fountain ignores any parent of the null object.
    emitter->Step(scene->GetHelper(1)->position, dt, sparkSteps);
    emitter->Draw(*sparkFlare, *sparkMaterial, *scene->GetCamera(0));
    t += dt;
    return true;
}

bool RoomScene::FrameTube(float dt) {
    if (!tubeStarted) {
        t = 0.0f;
        tubeStarted = true;
    }
    FogAndRender(kWhiteFog, 6.0f * t + 200.0f);
    DisableZBuffer();
    tube.Draw(0.02f * (t + 300.0f));
    t += dt;
    return true;
}

bool RoomScene::FrameFixedView(float dt) {
    if (!fixedViewStarted) {
        t = 0.0f;
        fixedViewStarted = true;
    }
    FogAndRender(kLightGreyFog, 6.0f * t + 2820.0f);
    Matrix4 view;
    view.LookAt(Vector3(1.0f, -1.5f, -6.0f), Vector3(0.0f, 0.0f, 0.0f), 0.0f, Vector3(0.0f, 1.0f, 0.0f));
    SetViewMatrix(&view);
    DisableZBuffer();
    tube.Draw(0.02f * (t + 300.0f));
    t += dt;
    return true;
}

}  // namespace cm
