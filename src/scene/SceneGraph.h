// The nodes of one scene file and the passes that animate and draw them.
//
// A graph owns what its node, flare, channel and material lists hold: destroying the graph
// releases each of them once, even if listed twice (a library material that a mesh of the graph
// also lists privately is left to that mesh). The helper, camera, mesh and root lists are views
// that own nothing. Times are scene-file frame numbers.
#pragma once

#include <cstdint>
#include <vector>

#include "display/RenderObject.h"
#include "math/Matrix4.h"
#include "scene/Camera.h"
#include "scene/HelperNode.h"
#include "scene/KeyChannel.h"
#include "scene/LensFlare.h"
#include "scene/Material.h"
#include "scene/Mesh.h"
#include "scene/PointerList.h"
#include "scene/SceneNode.h"

namespace cm {

enum RenderFlags : int32_t {
    kRenderDepth = 1,     // draw with the depth buffer
    kRenderLighting = 2,  // draw with device lighting (Gouraud)
};

class SceneGraph : public RenderObject {
public:
    SceneGraph() = default;
    ~SceneGraph();
    SceneGraph(const SceneGraph&) = delete;
    SceneGraph& operator=(const SceneGraph&) = delete;

    int32_t GetRenderFlags() const { return renderFlags; }
    bool SetRenderFlags(int32_t flags) { renderFlags = flags; return true; }
    float GetNearPlane() const { return nearPlane; }
    float GetFarPlane() const { return farPlane; }

    // Appends; false for null or when memory runs out (the list unchanged).
    bool AddNode(SceneNode* node);
    bool AddRoot(SceneNode* node);
    bool AddChannel(KeyChannel* channel);
    bool AddMaterial(Material* material);
    // Append to the kind list and then to nodes; on failure the node is in neither.
    bool AddHelper(HelperNode* node);
    bool AddCamera(Camera* node);
    bool AddMesh(Mesh* node);
    // Flares drawn by Render after the meshes. The graph takes the flare into its node list as
    // well, so it is animated and released with the scene.
    bool AddFlare(LensFlare* node);

    // Indexed reads give null outside the list.
    int32_t GetNodeCount() const { return nodes.Count(); }
    SceneNode* GetNode(int32_t i) const { return nodes.At(i); }
    int32_t GetRootCount() const { return roots.Count(); }
    SceneNode* GetRoot(int32_t i) const { return roots.At(i); }
    int32_t GetChannelCount() const { return channels.Count(); }
    KeyChannel* GetChannel(int32_t i) const { return channels.At(i); }
    int32_t GetHelperCount() const { return helpers.Count(); }
    HelperNode* GetHelper(int32_t i) const { return helpers.At(i); }
    int32_t GetCameraCount() const { return cameras.Count(); }
    Camera* GetCamera(int32_t i) const { return cameras.At(i); }
    int32_t GetMeshCount() const { return meshes.Count(); }
    Mesh* GetMesh(int32_t i) const { return meshes.At(i); }
    int32_t GetFlareCount() const { return flares.Count(); }
    LensFlare* GetFlare(int32_t i) const { return flares.At(i); }
    int32_t GetMaterialCount() const { return materials.Count(); }
    Material* GetMaterial(int32_t i) const { return materials.At(i); }

    // First match without regard to ASCII letter case (whatever the process locale); null for a
    // null name.
    SceneNode* FindNode(const char* name) const;
    Material* FindMaterial(const char* name) const;

    // Every node takes its channels' values at time, then matrices are rebuilt from the roots.
    void Animate(float time);
    // The matrix pass for one subtree; parent is the matrix the node sits in.
    void UpdateTransform(SceneNode* node, const Matrix4& parent);

    // Animates, sets projection and view from the first camera, draws every mesh and flare.
    // A graph without a camera has no view to draw through: nothing happens and the result is
    // false.
    bool Render(float time);
    // Draws one mesh face by face in its own device scene.
    void DrawMesh(Mesh* mesh);

private:
    // One node's own matrix from its parent's; false when its children are not to be visited.
    bool UpdateLocal(SceneNode* node, const Matrix4& parent);

    struct Pending {
        SceneNode* node;
        const Matrix4* parent;
    };

    int32_t renderFlags = kRenderDepth;
    float nearPlane = 0.08f;
    float farPlane = 1000.0f;
    PointerList<Material> materials;
    PointerList<SceneNode> nodes;
    PointerList<KeyChannel> channels;
    PointerList<SceneNode> roots;
    PointerList<HelperNode> helpers;
    PointerList<Camera> cameras;
    PointerList<Mesh> meshes;
    PointerList<LensFlare> flares;
    std::vector<Pending> pending_;  // the transform pass's stack, kept so frames do not allocate
};

}  // namespace cm
