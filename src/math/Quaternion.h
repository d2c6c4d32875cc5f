// The rotation record scene nodes keep: scalar part first.
#pragma once

namespace cm {

struct Quaternion {
    float w = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Quaternion& SetIdentity() {
        *this = Quaternion{1.0f, 0.0f, 0.0f, 0.0f};
        return *this;
    }
};

static_assert(sizeof(Quaternion) == 16);

}  // namespace cm
