// The rippling tube background shared by the tunnel, distort, glass and room parts.
//
// In its own coordinates the tube runs along z through five rings at z = -700, -200, 0, 200 and
// 700; around the axis it is cut into 50 steps of the 100-unit circle index k. Its radius is 40
// units with a three-lobed and a two-lobed ripple that turn with the phase. Drawn two-sided and
// additively with lighting off, so its colour is its texture's, added onto the frame.
//
// Each user owns one instance with its own configuration (rotation axis as a function of the
// phase, angle, texture scroll factor, whether Draw itself switches the depth test off) and its
// own material. View and projection are whatever the caller left current.
#pragma once

#include "display/RenderObject.h"
#include "math/Vector3.h"
#include "scene/Material.h"
#include "scene/MeshVertex.h"

#include <array>
#include <memory>

namespace cm {

class Texture;

struct WarpTubeConfig {
    Vector3 (*axis)(float phase) = nullptr;  // rotation axis of the world matrix
    float angle = 0.0f;                      // radians about that axis
    float scroll = 0.0f;                     // texture rows slide by phase * scroll
    bool disablesDepth = false;              // Draw switches the depth test off itself
};

// The four instances of the show.
WarpTubeConfig TunnelTubeConfig();
WarpTubeConfig DistortTubeConfig();
WarpTubeConfig RoomTubeConfig();
WarpTubeConfig GlassTubeConfig();

class WarpTube : public RenderObject {
public:
    static constexpr int kSteps = 50;        // angular steps of two circle-index units
    static constexpr int kQuadsPerStep = 4;  // one per lengthwise segment
    static constexpr float kRingZ[5] = {-700.0f, -200.0f, 0.0f, 200.0f, 700.0f};

    // The material starts as the default material with flags textured, additive, two-sided
    // and an empty texture map.
    explicit WarpTube(const WarpTubeConfig& config);

    // Puts the texture into the material's map; false (nothing changed) for null.
    bool AttachTexture(Texture* texture);

    // Cross-section point for phase a and circle index k (0..100), z = 0.
    static Vector3 RingPoint(float a, float k);

    // Draws the whole tube at phase a inside one device scene: 200 four-vertex triangle fans.
    void Draw(float a);

    const WarpTubeConfig& GetConfig() const { return config; }
    Material& GetMaterial() { return *material; }

private:
    WarpTubeConfig config;
    std::unique_ptr<Material> material;
    std::array<MeshVertex, 16> scratch{};  // four quads, rewritten for every step
};

}  // namespace cm
