// The DirectDraw object of a context: it owns the render target (colour and depth buffers)
// that the device draws into and that the context presents.
#pragma once

#include "platform/device/RefCounted.h"
#include "platform/device/RenderTarget.h"

namespace cm {

class DirectDraw final : public RefCounted {
public:
    // Null for a size outside 1..8192 in either direction.
    static DirectDraw* Create(int width, int height);

    RenderTarget& GetRenderTarget() { return target_; }
    const RenderTarget& GetRenderTarget() const { return target_; }

private:
    DirectDraw(int width, int height) : target_(width, height) {}
    ~DirectDraw() override = default;

    RenderTarget target_;
};

}  // namespace cm
