// Sequence index 0: the intro scene under black fog, its first two meshes spun by hand, and the
// pulsing logo added in the middle of the screen. Its last render leaves the view and
// projection through which the tunnel is seen.
#pragma once

#include "display/RenderObject.h"
#include "parts/PartResources.h"
#include "parts/StartPoses.h"

#include <memory>

namespace cm {

class SceneGraph;
class Texture;

class IntroScene : public RenderObject {
public:
    IntroScene();
    ~IntroScene();

    // Reads "data\introScene.lws" (two meshes and a camera at least) and "data\introLogo.jpg".
    bool Load(const PartResources& resources);
    void Reset() { t = 0.0f; }
    // Reset, and the meshes it turns back in their loaded pose.
    void Rewind() {
        Reset();
        poses.Restore();
    }
    bool FramePart(float dt);

    // The logo's pulse: a in pixels (sin(0.15 t) * 20) and b = a * 0.7058824.
    static void Pulse(float t, float& a, float& b);

    float GetTime() const { return t; }
    SceneGraph* GetScene() const { return scene.get(); }

private:
    StartPoses poses;
    std::unique_ptr<SceneGraph> scene;
    Texture* logo = nullptr;
    float t = 0.0f;
};

}  // namespace cm
