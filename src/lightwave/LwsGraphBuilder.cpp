// Building the SceneGraph from the items read, in three passes: nodes, links, roots.
#include <algorithm>
#include <utility>

#include "lightwave/LwoReader.h"
#include "lightwave/LwsReader.h"
#include "resources/DosPath.h"
#include "scene/LwsScene.h"
#include "scene/SceneGraph.h"

namespace cm {

namespace {

// The float nearest pi / 180.
constexpr float kRadiansPerDegree = 0.017453292f;

// Far more items than any authored scene holds. Links are found by name and checked for loops by
// walking the hierarchy, and the transform pass recurses down it, so a damaged file of a hundred
// thousand items would cost their square in time and could nest deeper than the stack allows.
// Items beyond this give no node.
constexpr std::int32_t kMaxItems = 4096;

// Hands node to the graph's list for its kind; the graph owns it from then on.
bool AddToGraph(SceneGraph& graph, std::unique_ptr<SceneNode>& node) {
    bool added = false;
    switch (node->GetKind()) {
        case kNodeMesh: added = graph.AddMesh(static_cast<Mesh*>(node.get())); break;
        case kNodeHelper: added = graph.AddHelper(static_cast<HelperNode*>(node.get())); break;
        case kNodeCamera: added = graph.AddCamera(static_cast<Camera*>(node.get())); break;
        default: break;
    }
    if (added) node.release();
    return added;
}

}  // namespace

std::unique_ptr<SceneGraph> LwsReader::BuildGraph() {
    auto graph = std::make_unique<SceneGraph>();
    BuildNodes(*graph);
    LinkNodes(*graph);
    for (std::int32_t i = 0; i < graph->GetNodeCount(); ++i) {
        SceneNode* node = graph->GetNode(i);
        if (node->GetKind() != kNodeMaterial && node->GetParent() == nullptr) graph->AddRoot(node);
    }
    return graph;
}

std::unique_ptr<KeyChannel> LwsReader::ChannelFrom(const LwsMotion* motion, bool rotation) const {
    // A channel without keys has nothing to evaluate; the node keeps its own value instead.
    if (motion == nullptr || motion->GetKeyCount() < 1) return nullptr;
    auto channel = std::make_unique<KeyChannel>();
    channel->Init(3);
    for (std::int32_t k = 0; k < motion->GetKeyCount(); ++k) {
        const LwsKey* from = motion->GetKey(k);
        ChannelKey* key = channel->NewKey();
        key->time = from->GetFrame();
        key->tension = from->GetTension();
        key->continuity = from->GetContinuity();
        key->bias = from->GetBias();
        for (int v = 0; v < 3; ++v) key->values[static_cast<std::size_t>(v)] = from->GetValue(v);
        if (rotation) {
            // Heading, pitch, bank in degrees become the node's x, y, z angles in radians: pitch
            // turns about x, heading about y.
            std::swap(key->values[0], key->values[1]);
            for (float& angle : key->values) angle *= kRadiansPerDegree;
        }
        channel->InsertKey(key);
    }
    return channel;
}

void LwsReader::BuildNodes(SceneGraph& graph) {
    const DosPathParts scenePath = SplitDosPath(fileName_);
    if (scene_->GetItemCount() > kMaxItems) {
        Note(std::to_string(scene_->GetItemCount()) + " items; those beyond 4096 give no node");
    }
    for (std::int32_t i = 0; i < std::min(scene_->GetItemCount(), kMaxItems); ++i) {
        LwsItem* item = scene_->GetItem(i);
        std::unique_ptr<SceneNode> node;
        switch (item->GetKind()) {
            case kLwsMesh: {
                const char* objectFile = static_cast<LwsMeshItem*>(item)->GetObjectFile();
                if (objectFile == nullptr) break;
                std::string used = objectFile;
                LwoReader reader;
                std::unique_ptr<Mesh> mesh = reader.Load(used.c_str(), &graph, textures_);
                if (!mesh) {
                    // Scenes name objects by the path on the machine that made them; the file
                    // usually travels beside the scene instead.
                    const DosPathParts objectPath = SplitDosPath(objectFile);
                    used = MakeDosPath(scenePath.drive, scenePath.directory, objectPath.name, objectPath.extension);
                    mesh = reader.Load(used.c_str(), &graph, textures_);
                }
                for (const std::string& line : reader.GetDamage()) Note(line);
                if (!mesh) {
                    Note("object \"" + std::string(objectFile) + "\" not loaded; " + item->GetName() + " gives no node");
                    break;
                }
                mesh->SetSourceName(used.c_str());
                node = std::move(mesh);
                break;
            }
            case kLwsHelper: node = std::make_unique<HelperNode>(); break;
            case kLwsCamera: node = std::make_unique<Camera>(); break;
            default: break;  // lights give no node
        }
        if (!node) continue;
        node->SetName(item->GetName());
        std::unique_ptr<KeyChannel> channels[3] = {ChannelFrom(item->GetPositionMotion(), false),
                                                   ChannelFrom(item->GetRotationMotion(), true),
                                                   ChannelFrom(item->GetScaleMotion(), false)};
        KeyChannel* held[3] = {};
        for (int c = 0; c < 3; ++c) {
            if (channels[c] && graph.AddChannel(channels[c].get())) held[c] = channels[c].release();
        }
        node->SetPositionChannel(held[0]);
        node->SetRotationChannel(held[1]);
        node->SetScaleChannel(held[2]);
        AddToGraph(graph, node);
    }
}

void LwsReader::LinkNodes(SceneGraph& graph) {
    const std::int32_t count = std::min(scene_->GetItemCount(), kMaxItems);
    // The node of the item with 1-based number n, or null when there is none: the number lies
    // outside the list, names the item itself, or the item gave no node (a light, an object that
    // did not load).
    auto other = [&](std::int32_t self, std::int32_t number, const char* what) -> SceneNode* {
        if (number <= 0) return nullptr;
        if (number > count) {
            Note(std::string(what) + " " + std::to_string(number) + " of item " + std::to_string(self + 1) +
                 " is beyond the " + std::to_string(count) + " items");
            return nullptr;
        }
        if (number == self + 1) {
            Note(std::string(what) + " of item " + std::to_string(number) + " is the item itself");
            return nullptr;
        }
        return graph.FindNode(scene_->GetItem(number - 1)->GetName());
    };
    for (std::int32_t i = 0; i < count; ++i) {
        const LwsItem* item = scene_->GetItem(i);
        SceneNode* node = graph.FindNode(item->GetName());
        if (node == nullptr) continue;
        if (SceneNode* parent = other(i, item->GetParentNumber(), "parent")) {
            // The transform pass walks down from the roots; a loop would have none to start from
            // and recurse without end, so its closing link is refused.
            if (!node->SetParent(parent)) {
                Note("parent " + std::to_string(item->GetParentNumber()) + " of item " + std::to_string(i + 1) +
                     " would close a loop; the item stays a root");
            }
        }
        if (SceneNode* target = other(i, item->GetTargetNumber(), "target")) node->SetTarget(target);
    }
}

}  // namespace cm
