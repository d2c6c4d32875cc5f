// A texture surface in memory: width x height texels of 32 bits, X8R8G8B8 (blue in the low
// byte), rows packed without padding. The alpha byte is kept at 255: the formats this device
// creates carry no alpha.
#pragma once

#include "platform/device/RefCounted.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cm {

class TextureSurface final : public RefCounted {
public:
    // Largest edge accepted; keeps width * height * 4 far from any overflow.
    static constexpr uint32_t kMaxSize = 4096;

    // Null for a zero or oversized edge or when memory runs out. Texels start black.
    static TextureSurface* Create(uint32_t width, uint32_t height);

    uint32_t GetWidth() const { return width_; }
    uint32_t GetHeight() const { return height_; }
    uint32_t* GetTexels() { return texels_.get(); }
    const uint32_t* GetTexels() const { return texels_.get(); }
    uint32_t GetTexel(uint32_t x, uint32_t y) const { return texels_[static_cast<size_t>(y) * width_ + x]; }

private:
    TextureSurface(uint32_t width, uint32_t height, std::unique_ptr<uint32_t[]> texels)
        : width_(width), height_(height), texels_(std::move(texels)) {}
    ~TextureSurface() override = default;

    uint32_t width_;
    uint32_t height_;
    std::unique_ptr<uint32_t[]> texels_;
};

}  // namespace cm
