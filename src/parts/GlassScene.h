// Sequence index 5: the first mesh of the glass scene as an opaque, environment-mapped blob
// that wobbles and tumbles slowly, then a full-screen image and one layer of the glass warp
// tube added over it, the tube seen from a fixed eye at (2, 1, -7).
#pragma once

#include "display/RenderObject.h"
#include "parts/BlobDeformer.h"
#include "parts/PartResources.h"
#include "parts/StartPoses.h"
#include "parts/WarpTube.h"

#include <memory>

namespace cm {

class SceneGraph;
class Texture;

class GlassScene : public RenderObject {
public:
    GlassScene();
    ~GlassScene();

    // Reads "data\glassScene.lws" (a mesh, a material and a camera at least), then loads
    // "data\glassBackground.jpg" and the tube's "data\glassTexture01.jpg".
    bool Load(const PartResources& resources);
    void Reset() { t = 0.0f; }
    // Reset, and the meshes it turns back in their loaded pose.
    void Rewind() {
        Reset();
        poses.Restore();
    }
    bool FramePart(float dt);

    float GetTime() const { return t; }
    SceneGraph* GetScene() const { return scene.get(); }
    BlobDeformer& GetBlob() { return blob; }

private:
    StartPoses poses;
    WarpTube tube;
    BlobDeformer blob;
    std::unique_ptr<SceneGraph> scene;
    Texture* background = nullptr;
    float t = 0.0f;
};

}  // namespace cm
