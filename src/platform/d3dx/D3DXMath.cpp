#include "platform/d3dx/D3DX.h"

namespace cm {

Matrix4* D3DXMatrixPerspective(Matrix4* out, float w, float h, float zn, float zf) {
    if (!out) return nullptr;
    *out = Matrix4{};
    out->m[0] = 2.0f * zn / w;
    out->m[5] = 2.0f * zn / h;
    out->m[10] = zf / (zf - zn);
    out->m[11] = 1.0f;
    out->m[14] = -zn * zf / (zf - zn);
    return out;
}

}  // namespace cm
