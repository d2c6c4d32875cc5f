// A camera node. Its node matrix is the view matrix (world to camera); inverseMatrix is the
// camera-to-world matrix that billboards use. With a look-at target the transform pass rebuilds
// the view from the camera's and the target's own position fields (parents ignored) and its
// rotation.z as roll; without a target the view is whatever the owner writes into matrix.
#pragma once

#include "math/Matrix4.h"
#include "scene/SceneNode.h"

namespace cm {

class Camera : public SceneNode {
public:
    Camera() : SceneNode(kNodeCamera, "default_camera") {}

    // The camera step of the transform pass: look-at when there is a target, then the inverse.
    void UpdateView();

    Matrix4 inverseMatrix = kIdentityMatrix;
};

}  // namespace cm
