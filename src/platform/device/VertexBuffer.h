// A vertex buffer in system memory, created by Direct3D::CreateVertexBuffer. Lock hands out
// the whole buffer (or from a start vertex), Unlock ends the lock; drawing from a locked buffer
// is refused, as the original did.
#pragma once

#include "platform/device/D3DTypes.h"
#include "platform/device/RefCounted.h"

#include <cstdint>
#include <memory>

namespace cm {

class VertexBuffer final : public RefCounted {
public:
    // Largest buffer accepted, in vertices.
    static constexpr uint32_t kMaxVertices = 1u << 20;

    // Null for an unknown format, zero or too many vertices, or no memory. Contents start zeroed.
    static VertexBuffer* Create(const D3DVertexBufferDesc& desc);

    // Lock: *data receives the first byte, *size the byte count (either may be null).
    // A second Lock while locked fails with kDDErrSurfaceBusy. Flags are accepted and ignored.
    HResult Lock(uint32_t flags, void** data, uint32_t* size);
    HResult Unlock();

    bool IsLocked() const { return locked_; }
    uint32_t GetFvf() const { return desc_.fvf; }
    uint32_t GetStride() const { return stride_; }
    uint32_t GetVertexCount() const { return desc_.numVertices; }
    const D3DVertexBufferDesc& GetDesc() const { return desc_; }
    const uint8_t* GetData() const { return data_.get(); }

private:
    VertexBuffer(const D3DVertexBufferDesc& desc, uint32_t stride, std::unique_ptr<uint8_t[]> data)
        : desc_(desc), stride_(stride), data_(std::move(data)) {}
    ~VertexBuffer() override = default;

    D3DVertexBufferDesc desc_;
    uint32_t stride_;
    std::unique_ptr<uint8_t[]> data_;
    bool locked_ = false;
};

}  // namespace cm
