// The field-less base whose operations set the common device states and transforms. Each
// fetches the program-wide device (Registry.h), makes one to six device calls with fixed
// values, ignores their results, keeps nothing and restores nothing. With no device (no
// display created) every operation does nothing.
#pragma once

#include <cstdint>

namespace cm {

struct Matrix4;
class TextureSurface;

class RenderObject {
public:
    void BeginScene();
    void EndScene();
    void EnableZBuffer();
    void DisableZBuffer();
    void EnablePerspectiveCorrection();
    void SetLinearFiltering(uint32_t stage);
    void SetPointFiltering(uint32_t stage);
    void EnableAdditiveBlend();
    void DisableBlend();
    // Stage 0: the texture (null allowed) and MODULATE of TEXTURE and DIFFUSE.
    void BindTexture(TextureSurface* texture);
    void UnbindTexture(uint32_t stage);
    void EnableCulling();
    void DisableCulling();
    void EnableLighting();
    void DisableLighting();
    void EnableClipping();
    // A null matrix makes no call.
    void SetViewMatrix(const Matrix4* matrix);
    void SetWorldMatrix(const Matrix4* matrix);
    // Left-handed perspective with a 0.2 x 0.15 view window at the near plane.
    void SetProjection(float nearPlane, float farPlane);
};

}  // namespace cm
