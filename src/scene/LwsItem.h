// Items of a LightWave scene file as read (objects, null objects, cameras, lights), before the
// scene graph is built from them. Item kind codes are the file's, not NodeKind: 1 object,
// 2 camera, 4 light, 8 null object. Parent and target are 1-based numbers into the scene's item
// list, 0 for none. Motions are not owned by the item (the LwsScene owns them).
#pragma once

#include <cstdint>
#include <string>

#include "math/Color4.h"
#include "math/Vector3.h"
#include "scene/LwsMotion.h"

namespace cm {

enum LwsItemKind : int32_t {
    kLwsMesh = 1,
    kLwsCamera = 2,
    kLwsLight = 4,
    kLwsHelper = 8,
};

class LwsItem {
public:
    virtual ~LwsItem() = default;
    LwsItem(const LwsItem&) = delete;
    LwsItem& operator=(const LwsItem&) = delete;

    bool SetName(const char* n);
    const char* GetName() const { return name.c_str(); }
    int32_t GetKind() const { return kind; }

    bool SetPositionMotion(LwsMotion* m) { positionMotion = m; return true; }
    LwsMotion* GetPositionMotion() const { return positionMotion; }
    bool SetRotationMotion(LwsMotion* m) { rotationMotion = m; return true; }
    LwsMotion* GetRotationMotion() const { return rotationMotion; }
    bool SetScaleMotion(LwsMotion* m) { scaleMotion = m; return true; }
    LwsMotion* GetScaleMotion() const { return scaleMotion; }
    bool SetParentNumber(int32_t n) { parent = n; return true; }
    int32_t GetParentNumber() const { return parent; }
    bool SetTargetNumber(int32_t n) { target = n; return true; }
    int32_t GetTargetNumber() const { return target; }
    bool SetPivot(const Vector3& p) { pivot = p; return true; }
    const Vector3& GetPivot() const { return pivot; }

protected:
    LwsItem(int32_t k, const char* n) : name(n), kind(k) {}

private:
    std::string name;
    int32_t kind;
    LwsMotion* rotationMotion = nullptr;
    LwsMotion* positionMotion = nullptr;
    LwsMotion* scaleMotion = nullptr;
    int32_t parent = 0;
    int32_t target = 0;
    Vector3 pivot{0.0f, 0.0f, 0.0f};
};

class LwsMeshItem : public LwsItem {
public:
    LwsMeshItem() : LwsItem(kLwsMesh, "lws_default_mesh") {}
    // Refuses null.
    bool SetObjectFile(const char* file);
    // Null until an object file was set.
    const char* GetObjectFile() const { return hasObjectFile ? objectFile.c_str() : nullptr; }

private:
    std::string objectFile;
    bool hasObjectFile = false;
};

class LwsCameraItem : public LwsItem {
public:
    LwsCameraItem() : LwsItem(kLwsCamera, "lws_default_camera") {}
};

class LwsHelperItem : public LwsItem {
public:
    LwsHelperItem() : LwsItem(kLwsHelper, "lws_default_helper") {}
};

// Lights are read completely but never become scene nodes: the show draws without device lights.
class LwsLightItem : public LwsItem {
public:
    LwsLightItem() : LwsItem(kLwsLight, "lws_default_light") {}

    int32_t GetLightType() const { return lightType; }
    bool SetLightType(int32_t t) { lightType = t; return true; }
    const Color4& GetColour() const { return colour; }
    bool SetColour(const Color4& c) { colour = c; return true; }
    float GetIntensity() const { return intensity; }
    bool SetIntensity(float v) { intensity = v; return true; }
    float GetFalloff() const { return falloff; }
    bool SetFalloff(float v) { falloff = v; return true; }
    float GetConeAngle() const { return coneAngle; }
    bool SetConeAngle(float v) { coneAngle = v; return true; }
    float GetEdgeAngle() const { return edgeAngle; }
    bool SetEdgeAngle(float v) { edgeAngle = v; return true; }

private:
    int32_t lightType = 1;
    Color4 colour{1.0f, 1.0f, 1.0f, 1.0f};
    float intensity = 0.25f;
    float falloff = 8.0f;
    float coneAngle = 1.0f;
    float edgeAngle = 0.5f;
};

}  // namespace cm
