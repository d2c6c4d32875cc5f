#include "parts/EnvironmentMap.h"

#include "math/Matrix4.h"
#include "scene/Mesh.h"

namespace cm {

void EnvironmentMapCallback(Mesh* mesh, const Matrix4* view) {
    if (mesh == nullptr || view == nullptr) return;
    mesh->ComputeNormals();
    Matrix4 toView;
    toView.Multiply(mesh->matrix, *view);
    for (int32_t i = 0; i < mesh->GetVertexCount(); ++i) {
        MeshVertex& vertex = *mesh->GetVertex(i);
        Vector3 n;
        toView.TransformNormal(n, vertex.normal);
        vertex.normal = n;
        // A normal facing the camera straight on lands in the texture's centre.
        vertex.u = (n.x + 1.0f) * 0.5f;
        vertex.v = (n.y + 1.0f) * 0.5f;
    }
}

}  // namespace cm
