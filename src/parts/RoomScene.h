// Sequence indices 2, 4 and 6: three stretches of one keyframed hall scene under linear fog.
// Index 2 adds the spark fountain rising from the scene's second null object; indices 4 and 6
// add one additive layer of the room's warp tube, index 6 seen from a fixed eye of its own.
// The three share one local time t, which indices 4 and 6 set back to 0 on their first frame.
#pragma once

#include "display/RenderObject.h"
#include "parts/PartResources.h"
#include "parts/Spark.h"
#include "parts/WarpTube.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace cm {

class LensFlare;
class Material;
class SceneGraph;

class RoomScene : public RenderObject {
public:
    static constexpr int32_t kSparkCount = 250;

    RoomScene();
    ~RoomScene();

    // The spark generator is seeded from the calendar time unless a seed is given here first
    // (the recorder and tests, for runs that repeat exactly).
    void SetSparkSeed(std::optional<uint32_t> seed) { sparkSeed = seed; }

    // Reads "data\roomScene.lws" (two null objects and a camera at least), "data\roomFlare_1.jpg"
    // and the tube's "data\distortTexture01.jpg".
    bool Load(const PartResources& resources);
    void Reset();
    // The sparks as loading left them: the generator seeded again with the seed loading used,
    // every spark free. With Reset, a part that has played runs again as from the start.
    void RewindSparks();
    // Index 2: fog, the scene at 6 t + 1500, the sparks, which take the sparkSteps fountain
    // steps that fell due in this frame (SparkStepsDue).
    bool FrameSparks(float dt, int64_t sparkSteps);
    // Index 4: fog, the scene at 6 t + 200, the tube through the room camera.
    bool FrameTube(float dt);
    // Index 6: grey fog, the scene at 6 t + 2820, the tube from a fixed eye.
    bool FrameFixedView(float dt);

    float GetTime() const { return t; }
    SceneGraph* GetScene() const { return scene.get(); }
    SparkEmitter* GetEmitter() const { return emitter.get(); }
    WarpTube& GetTube() { return tube; }

private:
    void FogAndRender(uint32_t fogColor, float sceneTime);

    std::optional<uint32_t> sparkSeed;
    uint32_t loadSeed = 0;  // the seed loading used
    std::unique_ptr<SceneGraph> scene;
    std::unique_ptr<Material> sparkMaterial;
    std::unique_ptr<LensFlare> sparkFlare;
    std::unique_ptr<SparkPool> sparkPool;
    std::unique_ptr<SparkEmitter> emitter;
    WarpTube tube;
    float t = 0.0f;
    bool tubeStarted = false;
    bool fixedViewStarted = false;
};

}  // namespace cm
