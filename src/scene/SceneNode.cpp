#include "scene/SceneNode.h"

#include <vector>

namespace cm {

SceneNode::SceneNode(int32_t kind, const char* name) : name_(name != nullptr ? name : ""), kind_(kind) {}

bool SceneNode::SetName(const char* name) {
    if (name == nullptr) return false;
    name_ = name;
    return true;
}

bool SceneNode::SetPositionChannel(KeyChannel* channel) {
    positionChannel_ = channel;
    return true;
}

bool SceneNode::SetRotationChannel(KeyChannel* channel) {
    rotationChannel_ = channel;
    return true;
}

bool SceneNode::SetScaleChannel(KeyChannel* channel) {
    scaleChannel_ = channel;
    return true;
}

bool SceneNode::SetParent(SceneNode* parent) {
    if (parent != nullptr && IsAncestorOf(parent)) return false;
    parent_ = parent;
    if (parent != nullptr) parent->AddChild(this);
    return true;
}

bool SceneNode::SetTarget(SceneNode* target) {
    target_ = target;
    return true;
}

bool SceneNode::AddChild(SceneNode* child) {
    if (child == nullptr || child->IsAncestorOf(this)) return false;
    return children_.Append(child);
}

bool SceneNode::IsAncestorOf(const SceneNode* node) const {
    // Searched on a local stack rather than by recursion, for hierarchies nested deeper than the
    // call stack.
    std::vector<const SceneNode*> pending{this};
    while (!pending.empty()) {
        const SceneNode* n = pending.back();
        pending.pop_back();
        if (n == node) return true;
        for (const SceneNode* child : n->children_) pending.push_back(child);
    }
    return false;
}

}  // namespace cm
