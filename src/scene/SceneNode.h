// The base of every object in a scene: helpers, meshes, cameras, flares and materials.
//
// A node carries its own position, scale and three rotation angles (radians, about x, y and z in
// the argument order of Matrix4::SetRotationAngles), optional keyframe channels that overwrite
// them on every animation pass, the hierarchy links, and the matrix the last transform pass
// computed. For meshes, helpers and flares that matrix maps object space to world space; for a
// camera it is the view matrix (world to camera).
#pragma once

#include <cstdint>
#include <string>

#include "math/Matrix4.h"
#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "display/RenderObject.h"
#include "scene/PointerList.h"

namespace cm {

class KeyChannel;

// Bit values; each node class fixes its kind in its constructor. 8 is unused.
enum NodeKind : int32_t {
    kNodeHelper = 1,
    kNodeMesh = 2,
    kNodeCamera = 4,
    kNodeMaterial = 16,
    kNodeFlare = 32,
};

class SceneNode : public RenderObject {
public:
    virtual ~SceneNode() = default;
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    // Refuses null, keeping the old name.
    bool SetName(const char* name);
    const char* GetName() const { return name_.c_str(); }
    int32_t GetKind() const { return kind_; }

    // Null detaches the property from animation, leaving it to whoever owns the node.
    bool SetPositionChannel(KeyChannel* channel);
    bool SetRotationChannel(KeyChannel* channel);
    bool SetScaleChannel(KeyChannel* channel);
    KeyChannel* GetPositionChannel() const { return positionChannel_; }
    KeyChannel* GetRotationChannel() const { return rotationChannel_; }
    KeyChannel* GetScaleChannel() const { return scaleChannel_; }

    // Also appends this node to the new parent's children; an earlier parent keeps it listed.
    // A parent that would close a loop (the node itself or one of its descendants) is refused,
    // because the transform pass would then recurse without end.
    bool SetParent(SceneNode* parent);
    SceneNode* GetParent() const { return parent_; }
    bool SetTarget(SceneNode* target);
    SceneNode* GetTarget() const { return target_; }

    bool AddChild(SceneNode* child);
    int32_t GetChildCount() const { return children_.Count(); }
    SceneNode* GetChild(int32_t index) const { return children_.At(index); }

    // True when node is this one or lies anywhere below it.
    bool IsAncestorOf(const SceneNode* node) const;

    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 scale{1.0f, 1.0f, 1.0f};
    // Only x, y, z are read: the three angles. w stays 1 and means nothing.
    Quaternion rotation{1.0f, 0.0f, 0.0f, 0.0f};
    Matrix4 matrix = kIdentityMatrix;

protected:
    SceneNode(int32_t kind, const char* name);

private:
    std::string name_;
    int32_t kind_;
    KeyChannel* positionChannel_ = nullptr;
    KeyChannel* rotationChannel_ = nullptr;
    KeyChannel* scaleChannel_ = nullptr;
    SceneNode* parent_ = nullptr;
    SceneNode* target_ = nullptr;
    PointerList<SceneNode> children_;
};

}  // namespace cm
