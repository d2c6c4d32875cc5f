// The drawing passes of a scene graph: one mesh face by face, and the whole scene through its
// first camera.
#include "scene/SceneGraph.h"

#include "display/Registry.h"
#include "platform/device/Device.h"

namespace cm {

void SceneGraph::DrawMesh(Mesh* mesh) {
    if (mesh == nullptr) return;
    Device* device = GetDevice();
    SetWorldMatrix(&mesh->matrix);
    BeginScene();
    // One draw call per triangle: the corners are copied into a scratch so that the face's
    // colour and coordinates can be written without touching the mesh.
    MeshVertex corners[3];
    Material* applied = nullptr;
    const bool drawn = device == nullptr || device->WantsPrimitives();
    for (int32_t i = 0; i < mesh->GetFaceCount(); ++i) {
        const MeshFace& face = *mesh->GetFace(i);
        // A face without a material or with a corner outside the mesh has nothing sound to
        // draw; it is skipped instead of reading past the vertices.
        Material* material = face.material;
        if (material == nullptr || !mesh->FaceInRange(face)) continue;
        if (!drawn) {
            // Nothing is drawn: only the material changes reach the device, as they would.
            if (material != applied) material->Apply();
            applied = material;
            continue;
        }
        corners[0] = *mesh->GetVertex(face.i0);
        corners[1] = *mesh->GetVertex(face.i1);
        corners[2] = *mesh->GetVertex(face.i2);
        // Lighting is normally off, so the material's diffuse colour is the vertex colour.
        const uint32_t colour = material->GetDiffuse().Pack();
        for (MeshVertex& c : corners) c.diffuse = colour;
        if (!(material->GetFlags() & kMaterialVertexUV)) {
            corners[0].u = face.uv0.u, corners[0].v = face.uv0.v;
            corners[1].u = face.uv1.u, corners[1].v = face.uv1.v;
            corners[2].u = face.uv2.u, corners[2].v = face.uv2.v;
        }
        if (material != applied) {
            material->Apply();
            applied = material;
        }
        if (device != nullptr) device->DrawPrimitive(D3DPT_TRIANGLELIST, kMeshVertexFormat, corners, 3, 0);
    }
    EndScene();
}

bool SceneGraph::Render(float time) {
    Camera* camera = cameras.At(0);
    if (camera == nullptr) return false;
    Animate(time);
    SetProjection(nearPlane, farPlane);
    SetViewMatrix(&camera->matrix);
    if (renderFlags & kRenderDepth) {
        EnableZBuffer();
    } else {
        DisableZBuffer();
    }
    EnableClipping();
    if (renderFlags & kRenderLighting) {
        EnableLighting();
    } else {
        DisableLighting();
    }
    const Device* device = GetDevice();
    const bool drawn = device == nullptr || device->WantsPrimitives();
    for (Mesh* mesh : meshes) {
        // The callbacks make per-frame vertex data (texture coordinates) only drawing uses.
        MeshDrawCallback callback = mesh->GetDrawCallback();
        if (callback && drawn) callback(mesh, &camera->matrix);
        DrawMesh(mesh);
    }
    // Flares glow through whatever fog the scene drew its meshes with.
    if (Device* device = GetDevice()) device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kFalse);
    for (LensFlare* flare : flares) {
        flare->Update(&camera->inverseMatrix);
        flare->Draw();
    }
    return true;
}

}  // namespace cm
