#include "show/SceneView.h"

#include <stdexcept>

#include "lws/MotionPath.h"

namespace cm::content {
namespace {

const LwsItemDef& FirstCamera(const LwsWriter& scene) {
    for (const LwsItemDef& item : scene.Items())
        if (item.kind == LwsItemDef::kCamera) {
            if (item.target < 1) throw std::logic_error("SceneView: camera without a target");
            return item;
        }
    throw std::logic_error("SceneView: scene without a camera");
}

}  // namespace

Vector3 CameraEye(const LwsWriter& scene, float frame) { return EvaluatePosition(FirstCamera(scene).keys, frame); }

Matrix4 CameraView(const LwsWriter& scene, float frame) {
    const LwsItemDef& camera = FirstCamera(scene);
    const LwsItemDef& target = scene.Items()[size_t(camera.target - 1)];
    Matrix4 view;
    view.LookAt(EvaluatePosition(camera.keys, frame), EvaluatePosition(target.keys, frame), 0, Vector3(0, 1, 0));
    return view;
}

ScreenPoint Project(const Matrix4& v, const Vector3& p) {
    const float x = p.x * v[0] + p.y * v[4] + p.z * v[8] + v[12];
    const float y = p.x * v[1] + p.y * v[5] + p.z * v[9] + v[13];
    const float z = p.x * v[2] + p.y * v[6] + p.z * v[10] + v[14];
    // Projection rows 1 and 2: x * 2n / 0.2 and y * 2n / 0.15, then divided by w = z.
    const float sx = 2 * kNearPlane / 0.2f * x / z, sy = 2 * kNearPlane / 0.15f * y / z;
    return {320.0f + 320.0f * sx, 240.0f - 240.0f * sy, z};
}

}  // namespace cm::content
