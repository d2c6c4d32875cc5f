#include "platform/device/TextureSurface.h"

#include <new>

namespace cm {

TextureSurface* TextureSurface::Create(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0 || width > kMaxSize || height > kMaxSize) return nullptr;
    const size_t count = static_cast<size_t>(width) * height;
    // One spare texel after the last: the vector sampler reads texel pairs with one load and may
    // touch it (and then discards it).
    std::unique_ptr<uint32_t[]> texels(new (std::nothrow) uint32_t[count + 1]);
    if (!texels) return nullptr;
    for (size_t i = 0; i <= count; ++i) texels[i] = 0xFF000000u;
    return new (std::nothrow) TextureSurface(width, height, std::move(texels));
}

}  // namespace cm
