#include "platform/device/VertexBuffer.h"

#include <cstring>
#include <new>

namespace cm {

VertexBuffer* VertexBuffer::Create(const D3DVertexBufferDesc& desc) {
    uint32_t stride = 0;
    if (desc.fvf == kFvfScreenVertex) stride = kScreenVertexStride;
    else if (desc.fvf == kFvfMeshVertex) stride = kMeshVertexStride;
    if (stride == 0 || desc.numVertices == 0 || desc.numVertices > kMaxVertices) return nullptr;
    const size_t bytes = static_cast<size_t>(stride) * desc.numVertices;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[bytes]);
    if (!data) return nullptr;
    std::memset(data.get(), 0, bytes);
    return new (std::nothrow) VertexBuffer(desc, stride, std::move(data));
}

HResult VertexBuffer::Lock(uint32_t /*flags*/, void** data, uint32_t* size) {
    if (locked_) return kDDErrSurfaceBusy;
    locked_ = true;
    if (data) *data = data_.get();
    if (size) *size = stride_ * desc_.numVertices;
    return kD3DOk;
}

HResult VertexBuffer::Unlock() {
    if (!locked_) return kD3DErrInvalidParams;
    locked_ = false;
    return kD3DOk;
}

}  // namespace cm
