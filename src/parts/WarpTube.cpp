#include "parts/WarpTube.h"

#include "display/Registry.h"
#include "math/Matrix4.h"
#include "platform/device/Device.h"
#include "scene/TextureMap.h"

#include <cmath>

namespace cm {

namespace {

Vector3 TunnelAxis(float a) { return {float(std::cos(3.0 * a)), float(std::sin(2.0 * a)), float(std::cos(0.25 * a))}; }
Vector3 DistortAxis(float a) { return {20.0f, float(std::sin(2.0 * a)), float(std::cos(double(a)))}; }
Vector3 GlassAxis(float a) { return {15.0f, 1.0f, float(std::sin(3.0 * a))}; }

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr int32_t kTubeMaterialFlags = kMaterialTextured | kMaterialAdditive | kMaterialTwoSided;  // 0x288

}  // namespace

WarpTubeConfig TunnelTubeConfig() { return {&TunnelAxis, 10.0f, 0.2f, false}; }
WarpTubeConfig DistortTubeConfig() { return {&DistortAxis, 20.0f, 0.2f, false}; }
WarpTubeConfig RoomTubeConfig() { return {&DistortAxis, 20.0f, 0.2f, false}; }
WarpTubeConfig GlassTubeConfig() { return {&GlassAxis, 40.0f, 0.1f, true}; }

WarpTube::WarpTube(const WarpTubeConfig& config_) : config(config_), material(std::make_unique<Material>()) {
    material->SetFlags(kTubeMaterialFlags);
    material->SetTextureMap(material->AdoptMap(std::make_unique<TextureMap>()));
}

bool WarpTube::AttachTexture(Texture* texture) {
    if (texture == nullptr || material->GetTextureMap() == nullptr) return false;
    return material->GetTextureMap()->AttachTexture(texture);
}

Vector3 WarpTube::RingPoint(float a, float k) {
    // The ripple's angular constant is the float 0.06284 (close to, but not, 2*pi/100), so the
    // ripple pattern does not quite close on itself; the ring angle itself uses 2*pi/100 exactly.
    constexpr float kRipple = 0.06284f;
    const double ad = a;
    const double kd = k;
    const float s = float(0.2 * std::sin(5.0 * ad));
    const double r = 40.0 * (1.0 + 0.2 * std::cos(4.0 * ad) * std::cos((3.0 * kd - 40.0 * ad) * kRipple) +
                             s * std::cos((2.0 * kd - 60.0 * ad) * kRipple));
    const double theta = kd * 0.06283185307179587;
    return {float(r * std::cos(theta)), float(r * std::sin(theta)), 0.0f};
}

void WarpTube::Draw(float a) {
    Matrix4 world;
    world.SetRotationAxis(config.axis(a), config.angle);
    SetWorldMatrix(&world);
    material->Apply();
    if (config.disablesDepth) DisableZBuffer();
    BeginScene();

    Device* device = GetDevice();
    if (device != nullptr && !device->WantsPrimitives()) {
        EndScene();
        return;
    }
    const float e = a * config.scroll;
    // Texture rows of the five rings: the texture spans 0.4 in v along the tube.
    const float rowV[5] = {e - 0.2f, e - 0.1f, e, e + 0.1f, e + 0.2f};
    auto put = [this](int i, const Vector3& ring, float z, float u, float v) {
        MeshVertex& vertex = scratch[static_cast<size_t>(i)];
        vertex.position = {ring.x, ring.y, z};
        vertex.normal = {0.0f, 0.0f, 0.0f};
        vertex.diffuse = kWhite;
        vertex.u = u;
        vertex.v = v;
    };
    for (int k = 0; k + 2 <= 100; k += 2) {
        const Vector3 p = RingPoint(a, float(k));
        const Vector3 q = RingPoint(a, float(k + 2));
        const float uP = 0.01f * float(k);
        const float uQ = 0.01f * float(k + 2);
        for (int quad = 0; quad < kQuadsPerStep; ++quad) {
            const float z0 = kRingZ[quad], z1 = kRingZ[quad + 1];
            const float v0 = rowV[quad], v1 = rowV[quad + 1];
            const int base = quad * 4;
            // The first quad runs Q, P, P, Q and the others P, Q, Q, P; with culling off the
            // winding has no visible effect, but the order is kept as the tube was built.
            if (quad == 0) {
                put(base + 0, q, z0, uQ, v0);
                put(base + 1, p, z0, uP, v0);
                put(base + 2, p, z1, uP, v1);
                put(base + 3, q, z1, uQ, v1);
            } else {
                put(base + 0, p, z0, uP, v0);
                put(base + 1, q, z0, uQ, v0);
                put(base + 2, q, z1, uQ, v1);
                put(base + 3, p, z1, uP, v1);
            }
            if (device != nullptr) {
                device->DrawPrimitive(D3DPT_TRIANGLEFAN, kMeshVertexFormat, &scratch[static_cast<size_t>(base)], 4, 0);
            }
        }
    }
    EndScene();
}

}  // namespace cm
