// What a scene's camera sees, computed the way the show will: the camera's view from its target
// (look-at, roll 0), the projection with near plane 0.08 and a 0.2 x 0.15 view window (640 x 480).
// Used by the content checks and by the preview images of the generator.
#pragma once

#include <string>

#include "lws/LwsWriter.h"
#include "math/Matrix4.h"

namespace cm::content {

struct ScreenPoint {
    float x, y;   // pixels, origin top-left
    float depth;  // eye-space z, scene units
};

constexpr float kNearPlane = 0.08f;

// The view matrix of the scene's first camera at the given frame (the camera must have a target).
Matrix4 CameraView(const LwsWriter& scene, float frame);
Vector3 CameraEye(const LwsWriter& scene, float frame);
ScreenPoint Project(const Matrix4& view, const Vector3& world);

}  // namespace cm::content
