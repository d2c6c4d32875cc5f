// Sequence index 1: two layers of the tunnel's warp tube at different phases and a full-screen
// image, all added onto the black frame. It sets no view or projection: the tubes are seen
// through the intro camera's last view.
#pragma once

#include "display/RenderObject.h"
#include "parts/PartResources.h"
#include "parts/WarpTube.h"

namespace cm {

class Texture;

class TunnelScene : public RenderObject {
public:
    TunnelScene();

    // Loads "data\tunnelBackground.jpg" and the tube's "data\tunnelTexture.jpg".
    bool Load(const PartResources& resources);
    void Reset() { t = 0.0f; }
    bool FramePart(float dt);

    float GetTime() const { return t; }
    WarpTube& GetTube() { return tube; }

private:
    WarpTube tube;
    Texture* background = nullptr;
    float t = 0.0f;
};

}  // namespace cm
