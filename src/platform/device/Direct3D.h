// The Direct3D object of a context; here only the factory of vertex buffers.
#pragma once

#include "platform/device/D3DTypes.h"
#include "platform/device/RefCounted.h"

namespace cm {

class VertexBuffer;

class Direct3D final : public RefCounted {
public:
    static Direct3D* Create();

    // *buffer receives a new buffer with one reference, or null with a negative result for a
    // null argument, an unknown format, zero or too many vertices.
    HResult CreateVertexBuffer(const D3DVertexBufferDesc* desc, VertexBuffer** buffer, uint32_t flags);

private:
    Direct3D() = default;
    ~Direct3D() override = default;
};

}  // namespace cm
