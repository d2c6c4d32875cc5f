// A camera-facing sprite: a square of half-edge size (world units) centred on the node's world
// position, drawn additively in its material's diffuse colour. One flare object may be moved and
// drawn many times a frame: write matrix, Update with the camera-to-world matrix, then Draw.
#pragma once

#include "math/Matrix4.h"
#include "scene/Material.h"
#include "scene/SceneNode.h"

namespace cm {

class LensFlare : public SceneNode {
public:
    LensFlare() : SceneNode(kNodeFlare, "default_flare") {}

    float GetSize() const { return size; }
    // Only sizes greater than 0 are taken (NaN included in the refusal).
    bool SetSize(float s);

    bool AttachMaterial(Material* m) { material = m; return true; }
    Material* GetAttachedMaterial() const { return material; }

    // billboard = cameraToWorld with its translation row replaced by the node matrix's. Refuses
    // null, keeping the old billboard.
    bool Update(const Matrix4* cameraToWorld);
    const Matrix4& GetBillboard() const { return billboard; }

    // Draws the quad in its own device scene; without a material nothing happens.
    void Draw();

private:
    float size = 1.0f;
    Material* material = nullptr;
    Matrix4 billboard = kIdentityMatrix;
};

}  // namespace cm
