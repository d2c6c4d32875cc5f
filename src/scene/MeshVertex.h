// The vertex and triangle records of meshes.
//
// MeshVertex is drawn by the device as it stands: flexible vertex format 0x152 (position,
// normal, diffuse, one texture coordinate pair), 36 bytes, object-space position and normal,
// diffuse packed as alpha << 24 | red << 16 | green << 8 | blue.
#pragma once

#include <cstddef>
#include <cstdint>

#include "math/Vector3.h"

namespace cm {

class Material;

constexpr uint32_t kMeshVertexFormat = 0x152;

struct MeshVertex {
    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 normal{0.0f, 0.0f, 0.0f};
    uint32_t diffuse = 0xff000000u;  // opaque black
    float u = 0.0f;
    float v = 0.0f;
};

static_assert(sizeof(MeshVertex) == 36, "MeshVertex is the device's 0x152 vertex");
static_assert(offsetof(MeshVertex, diffuse) == 24 && offsetof(MeshVertex, u) == 28);

struct FaceUV {
    float u = 0.0f;
    float v = 0.0f;
};

// One triangle: 0-based vertex indices in corner order, a (u, v) per corner (used unless the
// material keeps the vertices' own coordinates) and the material it is drawn with.
struct MeshFace {
    int32_t i0 = 0;
    int32_t i1 = 0;
    int32_t i2 = 0;
    FaceUV uv0{0.0f, 0.0f};
    FaceUV uv1{1.0f, 0.0f};
    FaceUV uv2{1.0f, 1.0f};
    Material* material = nullptr;
};

}  // namespace cm
