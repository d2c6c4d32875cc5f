#include "platform/d3dx/D3DX.h"

#include "platform/device/Device.h"
#include "platform/device/TextureSurface.h"

#include <cstring>

namespace cm {

HResult D3DXCreateTexture(Device* device, uint32_t* /*flags*/, uint32_t* width, uint32_t* height, uint32_t* format,
                          void* /*palette*/, TextureSurface** surface, uint32_t* numMipMaps) {
    if (!surface) return kD3DXErrInvalidParameter;
    *surface = nullptr;
    if (!D3DXIsInitialized()) return kD3DXErrNotInitialized;
    if (!device) return kD3DXErrInvalidParameter;
    uint32_t w = width ? *width : D3DX_DEFAULT;
    uint32_t h = height ? *height : D3DX_DEFAULT;
    if (w == D3DX_DEFAULT) w = 256;
    if (h == D3DX_DEFAULT) h = 256;
    TextureSurface* created = TextureSurface::Create(w, h);
    if (!created) return kD3DXErrInvalidParameter;
    *surface = created;
    if (width) *width = w;
    if (height) *height = h;
    if (format) *format = D3DX_SF_X8R8G8B8;
    if (numMipMaps) *numMipMaps = 1;
    return kD3DOk;
}

HResult D3DXLoadTextureFromMemory(Device* device, TextureSurface* surface, uint32_t mipLevel, const void* pixels,
                                  void* /*palette*/, uint32_t srcFormat, uint32_t srcPitch, const void* destRect,
                                  uint32_t /*filter*/) {
    if (!device || !surface || !pixels || destRect || mipLevel != 0) return kD3DXErrInvalidParameter;
    if (srcFormat != D3DX_SF_X8R8G8B8 && srcFormat != D3DX_SF_A8R8G8B8) return kD3DXErrInvalidParameter;
    const uint32_t w = surface->GetWidth(), h = surface->GetHeight();
    const size_t pitch = srcPitch == D3DX_DEFAULT ? static_cast<size_t>(w) * 4 : srcPitch;
    if (pitch < static_cast<size_t>(w) * 4) return kD3DXErrInvalidParameter;
    device->Flush();  // kept draws may still sample the old texels
    const uint8_t* src = static_cast<const uint8_t*>(pixels);
    uint32_t* dst = surface->GetTexels();
    for (uint32_t y = 0; y < h; ++y) {
        std::memcpy(dst + static_cast<size_t>(y) * w, src + y * pitch, static_cast<size_t>(w) * 4);
        for (uint32_t x = 0; x < w; ++x) dst[static_cast<size_t>(y) * w + x] |= 0xFF000000u;
    }
    return kD3DOk;
}

}  // namespace cm
