// A 640 x 480 software device without any window, plus small helpers to feed it vertices.
#pragma once

#include "platform/device/Device.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/TextureSurface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace cm::test {

struct TLVertex {  // vertex format 0x144
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};

struct XYZVertex {  // vertex format 0x152
    float x, y, z, nx, ny, nz;
    uint32_t diffuse;
    float u, v;
};

inline TLVertex TL(float x, float y, uint32_t diffuse = 0xFFFFFFFFu, float u = 0, float v = 0, float z = 0,
                   float rhw = 1) {
    return TLVertex{x, y, z, rhw, diffuse, u, v};
}

inline XYZVertex XYZ(float x, float y, float z, uint32_t diffuse = 0xFFFFFFFFu, float u = 0, float v = 0) {
    return XYZVertex{x, y, z, 0, 0, 0, diffuse, u, v};
}

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        directDraw = DirectDraw::Create(640, 480);
        device = Device::Create(directDraw);
        ASSERT_TRUE(device);
        // The states the show runs with: no lighting, no culling unless a test asks for it.
        device->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        Clear(0xFF000000u);
    }
    void TearDown() override {
        if (device) device->Release();
        if (directDraw) directDraw->Release();
    }

    void Clear(uint32_t color, float depth = 1.0f) { device->Clear(true, color, true, depth); }

    HResult Draw(PrimitiveType type, const std::vector<TLVertex>& v) {
        return device->DrawPrimitive(type, kFvfScreenVertex, v.data(), static_cast<uint32_t>(v.size()), 0);
    }
    HResult Draw(PrimitiveType type, const std::vector<XYZVertex>& v) {
        return device->DrawPrimitive(type, kFvfMeshVertex, v.data(), static_cast<uint32_t>(v.size()), 0);
    }
    // An axis-aligned pre-transformed rectangle as a fan.
    void Rect(float x0, float y0, float x1, float y1, uint32_t color = 0xFFFFFFFFu, float z = 0) {
        Draw(D3DPT_TRIANGLEFAN, {TL(x0, y0, color, 0, 0, z), TL(x1, y0, color, 1, 0, z), TL(x1, y1, color, 1, 1, z),
                                 TL(x0, y1, color, 0, 1, z)});
    }

    uint32_t Pixel(int x, int y) const { return device->GetRenderTarget().Pixel(x, y); }
    float Depth(int x, int y) const { return device->GetRenderTarget().Depth(x, y); }
    size_t CountNot(uint32_t background) const {
        size_t n = 0;
        for (uint32_t p : device->GetRenderTarget().color) n += p != background;
        return n;
    }
    size_t CountEqual(uint32_t value) const {
        size_t n = 0;
        for (uint32_t p : device->GetRenderTarget().color) n += p == value;
        return n;
    }

    // A texture of the given texels (row-major), owned by the test.
    TextureSurface* MakeTexture(uint32_t w, uint32_t h, const std::vector<uint32_t>& texels) {
        TextureSurface* t = TextureSurface::Create(w, h);
        for (size_t i = 0; i < texels.size() && i < size_t(w) * h; ++i) t->GetTexels()[i] = texels[i] | 0xFF000000u;
        textures.push_back(t);
        return t;
    }
    ~DeviceTest() override {
        for (TextureSurface* t : textures) t->Release();
    }

    DirectDraw* directDraw = nullptr;
    Device* device = nullptr;
    std::vector<TextureSurface*> textures;
};

}  // namespace cm::test
