// A triangle mesh node: vertices in the device's 0x152 layout (object space), triangles that
// index them, and the mesh's private materials, used when it was loaded without a scene-wide
// material library. The mesh owns its vertices, faces and private materials.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/Matrix4.h"
#include "scene/Material.h"
#include "scene/MeshVertex.h"
#include "scene/PointerList.h"
#include "scene/SceneNode.h"

namespace cm {

class Mesh;

// Called by SceneGraph::Render just before the mesh is drawn, with the rendering camera's view
// matrix; the demo scenes deform vertices here.
using MeshDrawCallback = void (*)(Mesh* mesh, const Matrix4* view);

class Mesh : public SceneNode {
public:
    Mesh();
    ~Mesh() override;

    // Replace the array with n default records; n < 1 (or beyond what a mesh can sensibly hold)
    // is refused and the old array kept.
    bool SetVertexCount(int32_t n);
    int32_t GetVertexCount() const { return static_cast<int32_t>(vertices.size()); }
    // Null outside 0..count-1.
    MeshVertex* GetVertex(int32_t index);
    const MeshVertex* GetVertex(int32_t index) const;
    bool SetFaceCount(int32_t n);
    int32_t GetFaceCount() const { return static_cast<int32_t>(faces.size()); }
    MeshFace* GetFace(int32_t index);
    const MeshFace* GetFace(int32_t index) const;

    // Private materials, released with the mesh.
    bool AddMaterial(Material* material);
    int32_t GetMaterialCount() const { return materials.Count(); }
    Material* GetMaterial(int32_t index) const { return materials.At(index); }
    // First private material whose name matches without regard to ASCII letter case (whatever the
    // process locale); null for null.
    Material* FindMaterial(const char* name) const;

    // Per-vertex average of the unit normals of the faces using the vertex (not renormalised).
    // A vertex no face uses, and a face without area, contribute nothing: such a vertex keeps a
    // zero normal. Faces with an index outside the vertex array are skipped. False without
    // vertices or faces.
    bool ComputeNormals();

    bool SetSourceName(const char* name);
    const char* GetSourceName() const { return sourceName.c_str(); }

    MeshDrawCallback GetDrawCallback() const { return drawCallback; }
    bool SetDrawCallback(MeshDrawCallback cb) { drawCallback = cb; return true; }

    // True when every index of the face lies inside the vertex array.
    bool FaceInRange(const MeshFace& f) const;

    // SetVertexCount and SetFaceCount refuse more than this (4,194,304). Meshes of real objects
    // stay far below it; larger counts come from a damaged file.
    static constexpr int32_t kMaxElements = 1 << 22;

private:
    std::vector<float> normalCounts;
    std::string sourceName;
    std::vector<MeshVertex> vertices;
    std::vector<MeshFace> faces;
    PointerList<Material> materials;
    MeshDrawCallback drawCallback = nullptr;
};

}  // namespace cm
