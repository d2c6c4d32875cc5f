// LightWave objects: each input is loaded twice, once with the mesh keeping its own materials
// and once into a material library, with an image served for every name it asks for. A loaded
// mesh must only index its own vertices, give every face a material and hold finite positions
// and texture coordinates.

#include "Harness.h"
#include "ServedTextures.h"

#include "lightwave/LwoReader.h"
#include "resources/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/SceneGraph.h"

#include <cmath>

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

std::string FuzzLwo(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    TextureManager textures;
    ServeImageNames(data, textures);

    {
        LwoReader reader;
        std::unique_ptr<Mesh> mesh = reader.LoadBytes(data, "fuzz.lwo", nullptr, &textures);
        if (mesh) {
            if (std::string fault = CheckMesh(*mesh); !fault.empty()) return fault;
        }
    }
    SceneGraph library;
    LwoReader reader;
    std::unique_ptr<Mesh> mesh = reader.LoadBytes(data, "fuzz.lwo", &library, &textures);
    if (mesh) {
        if (std::string fault = CheckMesh(*mesh); !fault.empty()) return fault;
        if (mesh->GetMaterialCount() != 0) return "materials kept by the mesh although a library was given";
    }
    return {};
}

}  // namespace cm::fuzz
