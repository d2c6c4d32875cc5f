// LightWave objects: each input is loaded twice, once with the mesh keeping its
// own materials and once into a material library, with an image served for every name it asks
// for. A loaded mesh must only index its own vertices, give every face a material and hold
// finite positions and texture coordinates, and both loads must give the same faces.

#include "Harness.h"
#include "ServedTextures.h"

#include "lightwave/LwoReader.h"
#include "resources/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/SceneGraph.h"

#include <cmath>
#include <cstring>

namespace cm::fuzz {
namespace {

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::string CheckMesh(Mesh& mesh) {
    const int32_t vertices = mesh.GetVertexCount();
    for (int32_t i = 0; i < vertices; ++i) {
        if (!Finite(mesh.GetVertex(i)->position)) return "a vertex position that is not finite";
    }
    for (int32_t i = 0; i < mesh.GetFaceCount(); ++i) {
        const MeshFace& face = *mesh.GetFace(i);
        if (face.i0 < 0 || face.i1 < 0 || face.i2 < 0 || face.i0 >= vertices || face.i1 >= vertices ||
            face.i2 >= vertices) {
            return "a face indexes a vertex the mesh does not have";
        }
        if (face.material == nullptr) return "a face without a material";
        for (const FaceUV& uv : {face.uv0, face.uv1, face.uv2}) {
            if (!std::isfinite(uv.u) || !std::isfinite(uv.v)) return "a texture coordinate that is not finite";
        }
    }
    return {};
}

}  // namespace

// One object read into an empty library must give the same faces as read alone: the library
// only changes where the materials live.
std::string CompareMeshes(Mesh& alone, Mesh& shared) {
    if (alone.GetVertexCount() != shared.GetVertexCount() || alone.GetFaceCount() != shared.GetFaceCount()) {
        return "a material library changed the mesh's size";
    }
    for (int32_t i = 0; i < alone.GetFaceCount(); ++i) {
        const MeshFace& a = *alone.GetFace(i);
        const MeshFace& b = *shared.GetFace(i);
        const bool sameCorners = a.i0 == b.i0 && a.i1 == b.i1 && a.i2 == b.i2;
        const bool sameUv = a.uv0.u == b.uv0.u && a.uv0.v == b.uv0.v && a.uv1.u == b.uv1.u && a.uv1.v == b.uv1.v &&
                            a.uv2.u == b.uv2.u && a.uv2.v == b.uv2.v;
        if (!sameCorners || !sameUv || std::strcmp(a.material->GetName(), b.material->GetName()) != 0) {
            return "a material library changed a face";
        }
    }
    return {};
}

std::string FuzzLwo(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    TextureManager textures;
    ServeImageNames(data, textures);

    LwoReader first;
    std::unique_ptr<Mesh> alone = first.LoadBytes(data, "fuzz.lwo", nullptr, &textures);
    if (alone) {
        if (std::string fault = CheckMesh(*alone); !fault.empty()) return fault;
    }
    SceneGraph library;
    LwoReader second;  // a reader serves one load
    std::unique_ptr<Mesh> shared = second.LoadBytes(data, "fuzz.lwo", &library, &textures);
    if ((alone == nullptr) != (shared == nullptr)) return "a material library changed whether the object loads";
    if (shared) {
        if (std::string fault = CheckMesh(*shared); !fault.empty()) return fault;
        if (shared->GetMaterialCount() != 0) return "materials kept by the mesh although a library was given";
        if (std::string fault = CompareMeshes(*alone, *shared); !fault.empty()) return fault;
    }
    return {};
}

}  // namespace cm::fuzz
