#include "scene/LensFlare.h"

namespace cm {

bool LensFlare::SetSize(float s) {
    if (!(s > 0.0f)) return false;
    size = s;
    return true;
}

bool LensFlare::Update(const Matrix4* cameraToWorld) {
    if (cameraToWorld == nullptr) return false;
    // The camera's orientation keeps the quad in the view plane; the node's own translation row
    // puts it where the sprite is.
    billboard = *cameraToWorld;
    billboard.m[12] = matrix.m[12];
    billboard.m[13] = matrix.m[13];
    billboard.m[14] = matrix.m[14];
    return true;
}

}  // namespace cm
