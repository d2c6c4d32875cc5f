#include "parts/TunnelScene.h"

#include "parts/Fog.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"

namespace cm {

TunnelScene::TunnelScene() : tube(TunnelTubeConfig()) {}

bool TunnelScene::Load(const PartResources& resources) {
    background = resources.textures->Load("data\\tunnelBackground.jpg");
    if (background == nullptr) return false;
    if (!tube.AttachTexture(resources.textures->Load("data\\tunnelTexture.jpg"))) return false;
    Reset();
    return true;
}

bool TunnelScene::FramePart(float dt) {
    DisableFog();
    EnablePerspectiveCorrection();
    SetLinearFiltering(0);
    DisableZBuffer();
    // Phases 0 and 6 at the start, the second advancing 0.75 times as fast: never coincident.
    tube.Draw(0.04f * t);
    tube.Draw(0.03f * (t + 200.0f));
    background->DrawScreenQuad(0.0f, 0.0f, 640.0f, 480.0f, 1, 1);
    t += dt;
    return true;
}

}  // namespace cm
