#include "resources/Texture.h"

#include "display/Registry.h"
#include "display/ScreenVertex.h"
#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"
#include "platform/device/TextureSurface.h"
#include "platform/device/VertexBuffer.h"

namespace cm {

Texture::~Texture() {
    if (surface != nullptr) surface->Release();
}

bool Texture::Create(uint32_t width_, uint32_t height_) {
    uint32_t w = width_;
    uint32_t h = height_;
    uint32_t fmt = D3DX_SF_R8G8B8;  // asked for; the layer says what it made
    uint32_t mipMaps = 0;
    TextureSurface* created = nullptr;
    if (D3DXCreateTexture(GetDevice(), nullptr, &w, &h, &fmt, nullptr, &created, &mipMaps) != kD3DOk) return false;
    if (surface != nullptr) surface->Release();
    surface = created;
    format = fmt;
    width = w;
    height = h;
    return true;
}

void Texture::DrawScreenQuad(float x0, float y0, float x1, float y1, int filtered, int additive) {
    BeginScene();
    DisableZBuffer();
    EnableClipping();
    DisableLighting();
    DisableCulling();
    BindTexture(surface);
    if (filtered) {
        SetLinearFiltering(0);
    } else {
        SetPointFiltering(0);
    }
    if (additive) {
        EnableAdditiveBlend();
    } else {
        DisableBlend();
    }

    // Two triangles, (x0,y0)-(x1,y0)-(x1,y1) and (x0,y0)-(x1,y1)-(x0,y1), with the whole texture
    // stretched over them: u runs 0..1 left to right, v 0..1 top to bottom.
    Device* device = GetDevice();
    VertexBuffer* buffer = GetScreenVertexBuffer();
    void* data = nullptr;
    uint32_t bytes = 0;
    constexpr uint32_t kVertices = 6;
    if (device != nullptr && buffer != nullptr &&
        buffer->Lock(DDLOCK_WAIT | DDLOCK_WRITEONLY, &data, &bytes) == kD3DOk) {
        if (bytes >= kVertices * sizeof(ScreenVertex)) {
            const ScreenVertex quad[kVertices] = {
                {x0, y0, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f}, {x1, y0, 0.0f, 1.0f, 0xFFFFFFFFu, 1.0f, 0.0f},
                {x1, y1, 0.0f, 1.0f, 0xFFFFFFFFu, 1.0f, 1.0f}, {x0, y0, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
                {x1, y1, 0.0f, 1.0f, 0xFFFFFFFFu, 1.0f, 1.0f}, {x0, y1, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 1.0f},
            };
            auto* out = static_cast<ScreenVertex*>(data);
            for (uint32_t i = 0; i < kVertices; ++i) out[i] = quad[i];
        }
        buffer->Unlock();
        if (bytes >= kVertices * sizeof(ScreenVertex)) {
            device->DrawPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 0, kVertices, 0);
        }
    }
    EndScene();
}

}  // namespace cm
