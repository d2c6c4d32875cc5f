// The DirectDraw object of a context: it owns the render target (colour and depth buffers)
// that the device draws into and that the context presents.
#pragma once

#include "platform/device/RefCounted.h"
#include "platform/device/RenderTarget.h"

namespace cm {

class DirectDraw final : public RefCounted {
public:
    // Null for a size outside 1..kMaxSize in either direction.
    static DirectDraw* Create(int width, int height);

    // A new target of width x height (black, depth 1); false, nothing changed, for a size
    // outside 1..kMaxSize.
    bool Resize(int width, int height);

    static constexpr int kMaxSize = 8192;

    RenderTarget& GetRenderTarget() { return target_; }
    const RenderTarget& GetRenderTarget() const { return target_; }

private:
    DirectDraw(int width, int height) : target_(width, height) {}
    ~DirectDraw() override = default;

    RenderTarget target_;
};

}  // namespace cm
