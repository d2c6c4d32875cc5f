// Sequence index 7: an opaque full-screen backdrop, the rotoball scene's two hand-spun rings in
// black fog whose reach breathes between 0.65 and 0.95, then the second scene's wobbling,
// environment-mapped blob, drawn with the depth buffer on and without fog.
#pragma once

#include "display/RenderObject.h"
#include "parts/BlobDeformer.h"
#include "parts/PartResources.h"
#include "parts/StartPoses.h"

#include <memory>

namespace cm {

class SceneGraph;
class Texture;

class RotoballScene : public RenderObject {
public:
    RotoballScene();
    ~RotoballScene();

    // Reads "data\rotoballScene.lws" (two meshes and a camera), "data\rotoball.jpg" and
    // "data\roto2.lws" (a mesh, a material and a camera).
    bool Load(const PartResources& resources);
    void Reset() { t = 0.0f; }
    // Reset, and the meshes it turns back in their loaded pose.
    void Rewind() {
        Reset();
        poses.Restore();
    }
    bool FramePart(float dt);

    // 0.15 sin(0.1 t) + 0.8: the fog's end in eye-space depth.
    static float FogEnd(float t);

    float GetTime() const { return t; }
    SceneGraph* GetScene() const { return scene.get(); }
    SceneGraph* GetBlobScene() const { return blobScene.get(); }

private:
    StartPoses poses;
    BlobDeformer blob;
    std::unique_ptr<SceneGraph> scene;
    std::unique_ptr<SceneGraph> blobScene;
    Texture* backdrop = nullptr;
    float t = 0.0f;
};

}  // namespace cm
