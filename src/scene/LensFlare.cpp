#include "scene/LensFlare.h"

#include "display/Registry.h"
#include "platform/device/Device.h"
#include "scene/MeshVertex.h"

namespace cm {

bool LensFlare::SetSize(float s) {
    if (!(s > 0.0f)) return false;
    size = s;
    return true;
}

bool LensFlare::Update(const Matrix4* cameraToWorld) {
    if (cameraToWorld == nullptr) return false;
    // The camera's orientation keeps the quad in the view plane; the node's own translation row
    // puts it where the sprite is.
    billboard = *cameraToWorld;
    billboard.m[12] = matrix.m[12];
    billboard.m[13] = matrix.m[13];
    billboard.m[14] = matrix.m[14];
    return true;
}

void LensFlare::Draw() {
    if (material == nullptr) return;
    const uint32_t colour = material->GetDiffuse().Pack();
    Device* device = GetDevice();
    BeginScene();
    material->Apply();
    // Whatever the material says, a flare is an unlit additive glow that never hides what lies
    // behind it (the depth test still hides the flare behind nearer geometry).
    DisableLighting();
    if (device != nullptr) {
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
        device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, kFalse);
    }
    SetWorldMatrix(&billboard);
    // Counter-clockwise as the camera sees it: a material without the two-sided flag culls it.
    const float s = size;
    MeshVertex quad[4];
    const float corners[4][4] = {{-s, -s, 0, 0}, {s, -s, 1, 0}, {s, s, 1, 1}, {-s, s, 0, 1}};
    for (int i = 0; i < 4; ++i) {
        quad[i].position = Vector3(corners[i][0], corners[i][1], 0.0f);
        quad[i].diffuse = colour;
        quad[i].u = corners[i][2];
        quad[i].v = corners[i][3];
    }
    if (device != nullptr) {
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, kMeshVertexFormat, quad, 4, 0);
        device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, kTrue);
    }
    EndScene();
}

}  // namespace cm
