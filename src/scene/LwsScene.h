// One LightWave scene file as read: the header values, every item in file order, and the motions.
// The scene owns its items (through their kind lists) and its motions; it exists only while one
// scene loads. Frame range, frame rate and ambient light are kept as read and affect nothing.
#pragma once

#include <cstdint>
#include <string>

#include "math/Color4.h"
#include "scene/LwsItem.h"
#include "scene/LwsMotion.h"
#include "scene/PointerList.h"

namespace cm {

class LwsScene {
public:
    LwsScene() = default;
    ~LwsScene();
    LwsScene(const LwsScene&) = delete;
    LwsScene& operator=(const LwsScene&) = delete;

    bool SetName(const char* n);
    const char* GetName() const { return name.c_str(); }

    bool SetFirstFrame(int32_t f) { firstFrame = f; return true; }
    int32_t GetFirstFrame() const { return firstFrame; }
    bool SetLastFrame(int32_t f) { lastFrame = f; return true; }
    int32_t GetLastFrame() const { return lastFrame; }
    bool SetFrameStep(int32_t f) { frameStep = f; return true; }
    int32_t GetFrameStep() const { return frameStep; }
    bool SetFramesPerSecond(float f) { framesPerSecond = f; return true; }
    float GetFramesPerSecond() const { return framesPerSecond; }
    bool SetAmbientColour(const Color4& c) { ambientColour = c; return true; }
    const Color4& GetAmbientColour() const { return ambientColour; }
    bool SetAmbientIntensity(float v) { ambientIntensity = v; return true; }
    float GetAmbientIntensity() const { return ambientIntensity; }

    // Each appends to its kind list and to the item list, and the scene takes ownership; false
    // for null, for an item already in the scene, or when memory runs out (then it is in neither
    // list and stays the caller's).
    bool AddMeshItem(LwsMeshItem* item);
    bool AddHelperItem(LwsHelperItem* item);
    bool AddCameraItem(LwsCameraItem* item);
    bool AddLightItem(LwsLightItem* item);
    // Takes ownership; false for null or a motion already held.
    bool AddMotion(LwsMotion* motion);

    int32_t GetItemCount() const { return items.Count(); }
    // Null outside 0..count-1 (item numbers in the file are 1-based: item n is GetItem(n - 1)).
    LwsItem* GetItem(int32_t index) const { return items.At(index); }
    int32_t GetMotionCount() const { return motions.Count(); }
    LwsMotion* GetMotion(int32_t index) const { return motions.At(index); }

private:
    template <typename T>
    bool AddItem(PointerList<T>& kindList, T* item);

    std::string name;
    int32_t firstFrame = 0;
    int32_t lastFrame = 0;
    int32_t frameStep = 0;
    float framesPerSecond = 50.0f;
    Color4 ambientColour{0.0f, 0.0f, 0.0f, 1.0f};
    float ambientIntensity = 0.25f;
    PointerList<LwsItem> items;
    PointerList<LwsMeshItem> meshItems;
    PointerList<LwsHelperItem> helperItems;
    PointerList<LwsCameraItem> cameraItems;
    PointerList<LwsLightItem> lightItems;
    PointerList<LwsMotion> motions;
};

}  // namespace cm
