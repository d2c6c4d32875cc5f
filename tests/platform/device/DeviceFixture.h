// A 640 x 480 software device without any window, drawing at its own size or at another render
// size, plus small helpers to feed it vertices.
#pragma once

#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/TextureSurface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
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

inline uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

// The show's projection: a 0.2 x 0.15 window on the near plane at 0.08.
inline void UsePerspective(Device* d, float farPlane) {
    Matrix4 projection;
    D3DXMatrixPerspective(&projection, 0.2f, 0.15f, 0.08f, farPlane);
    d->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
}

// Random triangles of the kinds the show draws: pre-transformed ones of every size up to
// `largest`, around a w x h screen, with varied depth, rhw and texture coordinates beyond 0..1;
// and transformed ones spread in front of the camera. Random colours, or one each if flat (white
// for the transformed ones).
struct RandomTriangles {
    RandomTriangles(uint32_t seed, float w, float h, float largest, bool flat = false) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> any(0.0f, 1.0f);
        for (int i = 0; i < 60; ++i) {
            const float size = i % 15 == 0 ? largest : (i % 3 == 0 ? 0.25f : 0.02f) * w;
            const float cx = any(rng) * w * 1.1f - 0.05f * w, cy = any(rng) * h * 1.1f - 0.05f * h;
            for (int k = 0; k < 3; ++k) {
                const uint32_t color = flat ? 0xFFC0A080u : static_cast<uint32_t>(rng());
                const float x = cx + (any(rng) - 0.5f) * size, y = cy + (any(rng) - 0.5f) * size;
                const float u = any(rng) * 6 - 3, v = any(rng) * 6 - 3;
                screen.push_back(TL(x, y, color, u, v, any(rng), 0.1f + any(rng) * 2));
            }
        }
        for (int i = 0; i < 60; ++i) {
            const float cx = any(rng) * 40 - 20, cy = any(rng) * 30 - 15, cz = any(rng) * 45 - 5;
            for (int k = 0; k < 3; ++k) {
                const uint32_t color = flat ? 0xFFFFFFFFu : static_cast<uint32_t>(rng());  // white skips the modulation
                const float x = cx + any(rng) * 20 - 10, y = cy + any(rng) * 20 - 10, z = cz + any(rng) * 20 - 10;
                world.push_back(XYZ(x, y, z, color, any(rng) * 4 - 2, any(rng) * 4 - 2));
            }
        }
    }
    std::vector<TLVertex> screen;
    std::vector<XYZVertex> world;
};

// The device with the states the show runs with: no lighting, no culling unless a test asks.
struct TestDevice {
    explicit TestDevice(int renderWidth = 640, int renderHeight = 480, int threads = 1) {
        EXPECT_EQ(kD3DOk, device->SetRenderSize(renderWidth, renderHeight));
        device->SetThreadCount(threads);
        device->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        Clear(0xFF000000u);
    }
    ~TestDevice() {
        device->Release();
        directDraw->Release();
    }
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    void Clear(uint32_t color, float depth = 1.0f) { device->Clear(true, color, true, depth); }
    // Adds each source pixel onto the target, with no depth test.
    void Additive() {
        device->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
    }

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

    const RenderTarget& Target() const { return device->GetRenderTarget(); }
    uint32_t Pixel(int x, int y) const { return Target().Pixel(x, y); }
    size_t CountNot(uint32_t background) const {
        size_t n = 0;
        for (uint32_t p : Target().color) n += p != background;
        return n;
    }

    DirectDraw* directDraw = DirectDraw::Create(640, 480);
    Device* device = Device::Create(directDraw);
};

class DeviceTest : public ::testing::Test, public TestDevice {
protected:
    // A texture of the given texels (row-major), owned by the test.
    TextureSurface* MakeTexture(uint32_t w, uint32_t h, const std::vector<uint32_t>& texels) {
        TextureSurface* t = TextureSurface::Create(w, h);
        for (size_t i = 0; i < texels.size() && i < size_t(w) * h; ++i) t->GetTexels()[i] = texels[i] | 0xFF000000u;
        textures.push_back(t);
        return t;
    }
    ~DeviceTest() override {
        device->SetTexture(0, nullptr);
        for (TextureSurface* t : textures) t->Release();
    }

    std::vector<TextureSurface*> textures;
};

}  // namespace cm::test
