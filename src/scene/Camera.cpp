#include "scene/Camera.h"

namespace cm {

void Camera::UpdateView() {
    if (const SceneNode* target = GetTarget()) {
        matrix.LookAt(position, target->position, rotation.z, Vector3(0.0f, 1.0f, 0.0f));
    }
    // A singular view (an owner-written matrix with a zero axis) has no inverse; the last good
    // camera-to-world matrix is kept rather than a half-eliminated one.
    Matrix4 inverse;
    if (inverse.Invert(matrix) != 0.0f) inverseMatrix = inverse;
}

}  // namespace cm
