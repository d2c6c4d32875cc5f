// An image-map descriptor: the loaded texture a material binds, and the projection parameters the
// object reader used to compute texture coordinates (sizes and centre in object-space units).
// A map does not own its Texture; the texture manager does.
#pragma once

#include <cstdint>
#include <string>

#include "math/Vector3.h"

namespace cm {

class Texture;

enum ProjectionKind : int32_t {
    kProjectionPlanar = 1,
    kProjectionSpherical = 2,
    kProjectionCubic = 4,
    kProjectionCylindrical = 8,
    kProjectionUnknown = 16,
    kProjectionNone = 32,
};

enum MapAxis : int32_t { kAxisX = 1, kAxisY = 2, kAxisZ = 4 };

class TextureMap {
public:
    // Refuses null.
    bool AttachTexture(Texture* t);
    Texture* GetTexture() const { return texture; }

    const char* GetName() const { return name.c_str(); }
    // Refuses null.
    bool SetName(const char* n);

    void GetSize(Vector3& out) const { out = size; }
    void GetScale(Vector3& out) const { out = scale; }
    void GetCentre(Vector3& out) const { out = centre; }
    bool SetSize(const Vector3& v) { size = v; return true; }
    bool SetScale(const Vector3& v) { scale = v; return true; }
    bool SetCentre(const Vector3& v) { centre = v; return true; }

    int32_t GetProjectionKind() const { return projectionKind; }
    bool SetProjectionKind(int32_t k) { projectionKind = k; return true; }
    int32_t GetAxis() const { return axis; }
    bool SetAxis(int32_t a) { axis = a; return true; }

private:
    Texture* texture = nullptr;
    std::string name = "default_texture";
    Vector3 size{1.0f, 1.0f, 1.0f};
    Vector3 scale{1.0f, 1.0f, 1.0f};
    Vector3 centre{0.0f, 0.0f, 0.0f};
    int32_t projectionKind = kProjectionNone;
    int32_t axis = kAxisX;
};

}  // namespace cm
