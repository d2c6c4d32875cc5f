#include "scene/Mesh.h"

#include "resources/DosPath.h"

#include <cmath>
#include <new>

namespace cm {

Mesh::Mesh() : SceneNode(kNodeMesh, "default_mesh") {}

Mesh::~Mesh() {
    // The same material may have been added twice; release each once.
    std::vector<Material*> released;
    for (Material* m : materials) {
        bool seen = false;
        for (Material* r : released) seen = seen || r == m;
        if (seen) continue;
        released.push_back(m);
        delete m;
    }
}

bool Mesh::SetVertexCount(int32_t n) {
    if (n < 1 || n > kMaxElements) return false;
    try {
        std::vector<MeshVertex> v(static_cast<size_t>(n));
        std::vector<float> c(static_cast<size_t>(n), 0.0f);
        vertices.swap(v);
        normalCounts.swap(c);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

MeshVertex* Mesh::GetVertex(int32_t index) {
    return const_cast<MeshVertex*>(static_cast<const Mesh*>(this)->GetVertex(index));
}

const MeshVertex* Mesh::GetVertex(int32_t index) const {
    if (index < 0 || index >= GetVertexCount()) return nullptr;
    return &vertices[static_cast<size_t>(index)];
}

bool Mesh::SetFaceCount(int32_t n) {
    if (n < 1 || n > kMaxElements) return false;
    try {
        std::vector<MeshFace> f(static_cast<size_t>(n));
        faces.swap(f);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

MeshFace* Mesh::GetFace(int32_t index) {
    return const_cast<MeshFace*>(static_cast<const Mesh*>(this)->GetFace(index));
}

const MeshFace* Mesh::GetFace(int32_t index) const {
    if (index < 0 || index >= GetFaceCount()) return nullptr;
    return &faces[static_cast<size_t>(index)];
}

bool Mesh::AddMaterial(Material* material) { return materials.Append(material); }

Material* Mesh::FindMaterial(const char* name) const {
    if (name == nullptr) return nullptr;
    for (Material* m : materials) {
        if (CompareNoCase(m->GetName(), name) == 0) return m;
    }
    return nullptr;
}

bool Mesh::FaceInRange(const MeshFace& f) const {
    const int32_t n = GetVertexCount();
    return f.i0 >= 0 && f.i0 < n && f.i1 >= 0 && f.i1 < n && f.i2 >= 0 && f.i2 < n;
}

bool Mesh::ComputeNormals() {
    if (vertices.empty() || faces.empty()) return false;
    for (size_t i = 0; i < vertices.size(); ++i) {
        vertices[i].normal = Vector3(0.0f, 0.0f, 0.0f);
        normalCounts[i] = 0.0f;
    }
    for (const MeshFace& f : faces) {
        if (!FaceInRange(f)) continue;
        const Vector3& p0 = vertices[static_cast<size_t>(f.i0)].position;
        const Vector3& p1 = vertices[static_cast<size_t>(f.i1)].position;
        const Vector3& p2 = vertices[static_cast<size_t>(f.i2)].position;
        Vector3 cross;
        cross.Cross(Vector3().Subtract(p0, p1), Vector3().Subtract(p2, p1));
        // A face without area has no direction to give (normalising it would yield NaN); its
        // corners take nothing from it.
        const float lengthSquared = cross.Dot(cross);
        if (!(lengthSquared > 0.0f) || !std::isfinite(lengthSquared)) continue;
        Vector3 n;
        n.Normalize(cross);
        for (int32_t idx : {f.i0, f.i1, f.i2}) {
            Vector3& acc = vertices[static_cast<size_t>(idx)].normal;
            acc.Add(acc, n);
            normalCounts[static_cast<size_t>(idx)] += 1.0f;
        }
    }
    for (size_t i = 0; i < vertices.size(); ++i) {
        const float c = normalCounts[i];
        if (c > 0.0f) {
            Vector3& n = vertices[i].normal;
            n = Vector3(n.x / c, n.y / c, n.z / c);
        }
    }
    return true;
}

bool Mesh::SetSourceName(const char* name) {
    if (name == nullptr) return false;
    sourceName = name;
    return true;
}

}  // namespace cm
