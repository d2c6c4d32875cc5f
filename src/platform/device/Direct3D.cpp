#include "platform/device/Direct3D.h"

#include "platform/device/VertexBuffer.h"

#include <new>

namespace cm {

Direct3D* Direct3D::Create() { return new (std::nothrow) Direct3D(); }

HResult Direct3D::CreateVertexBuffer(const D3DVertexBufferDesc* desc, VertexBuffer** buffer, uint32_t /*flags*/) {
    if (!buffer) return kD3DErrInvalidParams;
    *buffer = nullptr;
    if (!desc) return kD3DErrInvalidParams;
    *buffer = VertexBuffer::Create(*desc);
    return *buffer ? kD3DOk : kD3DErrInvalidParams;
}

}  // namespace cm
