#include "scene/SceneGraph.h"

#include "resources/DosPath.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace cm {

namespace {

// The distinct entries of v, sorted by address so that membership is a binary search.
template <typename T>
void SortUnique(std::vector<T*>& v) {
    std::sort(v.begin(), v.end(), std::less<T*>());
    v.erase(std::unique(v.begin(), v.end()), v.end());
}

}  // namespace

SceneGraph::~SceneGraph() {
    // Every owned node once, however many lists name it. Materials a mesh of this graph lists
    // privately are the mesh's to release, even if they were also put in the library.
    std::vector<SceneNode*> owned(nodes.begin(), nodes.end());
    owned.insert(owned.end(), flares.begin(), flares.end());
    owned.insert(owned.end(), materials.begin(), materials.end());
    SortUnique(owned);
    std::vector<SceneNode*> meshOwned;
    for (SceneNode* n : owned) {
        if (n->GetKind() != kNodeMesh) continue;
        const Mesh* mesh = static_cast<const Mesh*>(n);
        for (int32_t i = 0; i < mesh->GetMaterialCount(); ++i) meshOwned.push_back(mesh->GetMaterial(i));
    }
    SortUnique(meshOwned);
    for (SceneNode* n : owned) {
        if (!std::binary_search(meshOwned.begin(), meshOwned.end(), n, std::less<SceneNode*>())) delete n;
    }

    std::vector<KeyChannel*> ownedChannels(channels.begin(), channels.end());
    SortUnique(ownedChannels);
    for (KeyChannel* c : ownedChannels) delete c;
}

bool SceneGraph::AddNode(SceneNode* node) { return nodes.Append(node); }
bool SceneGraph::AddRoot(SceneNode* node) { return roots.Append(node); }
bool SceneGraph::AddChannel(KeyChannel* channel) { return channels.Append(channel); }
bool SceneGraph::AddMaterial(Material* material) { return materials.Append(material); }

namespace {

// Append to a kind list, then to the node list; when the second append fails the first is the
// last entry and is taken back out, so the node ends up in neither.
template <typename T>
bool AddToBoth(PointerList<T>& kindList, PointerList<SceneNode>& nodes, T* node) {
    if (!kindList.Append(node)) return false;
    if (nodes.Append(node)) return true;
    kindList.RemoveLast();
    return false;
}

}  // namespace

bool SceneGraph::AddHelper(HelperNode* node) { return AddToBoth(helpers, nodes, node); }
bool SceneGraph::AddCamera(Camera* node) { return AddToBoth(cameras, nodes, node); }
bool SceneGraph::AddMesh(Mesh* node) { return AddToBoth(meshes, nodes, node); }
bool SceneGraph::AddFlare(LensFlare* node) { return AddToBoth(flares, nodes, node); }

namespace {

template <typename T>
T* FindByName(const PointerList<T>& list, const char* name) {
    if (name == nullptr) return nullptr;
    for (T* n : list) {
        if (CompareNoCase(n->GetName(), name) == 0) return n;
    }
    return nullptr;
}

// Copies up to three channel outputs; a channel of fewer values leaves the rest untouched.
void CopyOutputs(KeyChannel* channel, float time, float& x, float& y, float& z) {
    if (!channel->Evaluate(time)) return;
    const std::vector<float>& out = channel->output;
    if (out.size() > 0) x = out[0];
    if (out.size() > 1) y = out[1];
    if (out.size() > 2) z = out[2];
}

}  // namespace

SceneNode* SceneGraph::FindNode(const char* name) const { return FindByName(nodes, name); }
Material* SceneGraph::FindMaterial(const char* name) const { return FindByName(materials, name); }

void SceneGraph::Animate(float time) {
    for (SceneNode* n : nodes) {
        if (KeyChannel* c = n->GetPositionChannel()) CopyOutputs(c, time, n->position.x, n->position.y, n->position.z);
        if (KeyChannel* c = n->GetRotationChannel()) CopyOutputs(c, time, n->rotation.x, n->rotation.y, n->rotation.z);
        if (KeyChannel* c = n->GetScaleChannel()) CopyOutputs(c, time, n->scale.x, n->scale.y, n->scale.z);
    }
    for (SceneNode* root : roots) UpdateTransform(root, kIdentityMatrix);
}

void SceneGraph::UpdateTransform(SceneNode* node, const Matrix4& parent) {
    // Depth first, each node before its children and children in list order, as a recursion
    // would go, but on a kept stack: a scene file can nest items deeper than the call stack.
    // A child's parent matrix stays put until the child is done, because everything pushed
    // after it lies in its own subtree and a node cannot lie below itself.
    if (node == nullptr) return;
    pending_.clear();
    pending_.push_back({node, &parent});
    while (!pending_.empty()) {
        const Pending job = pending_.back();
        pending_.pop_back();
        if (!UpdateLocal(job.node, *job.parent)) continue;
        for (int32_t i = job.node->GetChildCount() - 1; i >= 0; --i) {
            pending_.push_back({job.node->GetChild(i), &job.node->matrix});
        }
    }
}

bool SceneGraph::UpdateLocal(SceneNode* node, const Matrix4& parent) {
    switch (node->GetKind()) {
        case kNodeMaterial:
            return false;  // a material has no place in space; nothing below it is visited
        case kNodeHelper:
        case kNodeMesh: {
            // Local = R * T * S (row vectors): the scale comes after the translation, so it
            // scales the node's offset from its parent as well as its shape.
            Matrix4& m = node->matrix;
            m.SetRotationAngles(node->rotation.x, node->rotation.y, node->rotation.z);
            m.PostTranslate(m, node->position);
            m.PostScale(m, node->scale);
            m.Multiply(m, parent);
            return true;
        }
        case kNodeCamera:
            static_cast<Camera*>(node)->UpdateView();
            return true;
        case kNodeFlare: {
            Matrix4& m = node->matrix;
            m.SetIdentity();
            m.PostTranslate(m, node->position);
            m.Multiply(m, parent);
            return true;
        }
        default:
            return true;
    }
}

}  // namespace cm
