// Sequence index 3: two layers of the distort warp tube and a full-screen image, then the first
// mesh of the distort scene as a tumbling, bobbing, environment-mapped blob drawn additively.
// The tubes and image come before the scene render, so they use the view and projection the
// previous frame's render left current.
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

class DistortScene : public RenderObject {
public:
    DistortScene();
    ~DistortScene();

    // Loads "data\distortBackground.jpg", the tube's "data\distortTexture01.jpg" and reads
    // "data\distort.lws" (a mesh and a camera at least).
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
