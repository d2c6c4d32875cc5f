// The d3dx layer: the least of the utility library the show uses, on the software device.
// A context owns the DirectDraw object (colour and depth buffers), the Direct3D object and the
// device; it clears, and presents each frame to a FrameSink (none: frames are dropped).
// Textures are created at exactly the requested size (1..TextureSurface::kMaxSize) in
// X8R8G8B8 and filled from 32-bit pixels. Errors: negative results, nothing changed.
#pragma once

#include "math/Matrix4.h"
#include "platform/d3dx/FrameSink.h"
#include "platform/device/D3DTypes.h"
#include "platform/device/RefCounted.h"

#include <cstdint>
#include <vector>

namespace cm {

class Device;
class DirectDraw;
class Direct3D;
class TextureSurface;

inline constexpr uint32_t D3DX_DEFAULT = 0xFFFFFFFFu;
inline constexpr uint32_t D3DX_CONTEXT_FULLSCREEN = 1;
inline constexpr uint32_t D3DX_TEXTURE_NOMIPMAP = 0x100;
// UpdateFrame flag: present without waiting for vertical sync.
inline constexpr uint32_t D3DX_UPDATE_NOVSYNC = 1;
// Clear flags.
inline constexpr uint32_t D3DCLEAR_TARGET = 1, D3DCLEAR_ZBUFFER = 2;
// Surface formats (D3DX_SURFACEFORMAT).
inline constexpr uint32_t D3DX_SF_UNKNOWN = 0, D3DX_SF_R8G8B8 = 1, D3DX_SF_A8R8G8B8 = 2, D3DX_SF_X8R8G8B8 = 3;
// Filter of D3DXLoadTextureFromMemory.
inline constexpr uint32_t D3DX_FT_POINT = 1, D3DX_FT_LINEAR = 2;

inline constexpr HResult kD3DXErrNotInitialized = static_cast<HResult>(0x88760801u);
inline constexpr HResult kD3DXErrInvalidParameter = static_cast<HResult>(0x88760802u);

// Size of the target when D3DX_DEFAULT is asked for: the show's 640 x 480.
inline constexpr int kD3DXDefaultWidth = 640;
inline constexpr int kD3DXDefaultHeight = 480;

class D3DXContext final : public RefCounted {
public:
    // Each getter adds a reference to what it returns.
    Device* GetD3DDevice();
    DirectDraw* GetDD();
    Direct3D* GetD3D();

    HResult SetClearColor(uint32_t argb);
    // flags: D3DCLEAR_TARGET and/or D3DCLEAR_ZBUFFER (depth cleared to 1, the far plane).
    HResult Clear(uint32_t flags);
    // Hands the target to the sink; flags 0 waits for vertical sync, D3DX_UPDATE_NOVSYNC not.
    HResult UpdateFrame(uint32_t flags);

    // Frames reach the sink at width x height pixels while the device keeps the size the
    // context was created with as its own coordinates. The device draws at supersample times
    // the size in each direction and each supersample x supersample block is averaged to one
    // pixel (rounded to nearest). Refused with kD3DXErrInvalidParameter, nothing changed, for a
    // size below 1, supersample outside 1..4, or a drawn size beyond DirectDraw::kMaxSize.
    // The target is cleared to black.
    HResult SetRenderSize(int width, int height, int supersample = 1);
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetSupersample() const { return supersample_; }

    // Changes where frames go (null: nowhere). The context does not own the sink.
    void SetSink(FrameSink* sink) { sink_ = sink; }
    FrameSink* GetSink() const { return sink_; }
    // The colour Clear fills the target with (packed ARGB).
    uint32_t GetClearColor() const { return clearColor_; }
    bool IsFullScreen() const { return fullScreen_; }
    uint64_t GetFrameCount() const { return frames_; }

private:
    friend HResult D3DXCreateContext(uint32_t, uint32_t, FrameSink*, uint32_t, uint32_t, D3DXContext**);
    D3DXContext() = default;
    ~D3DXContext() override;

    DirectDraw* directDraw_ = nullptr;
    Direct3D* direct3D_ = nullptr;
    Device* device_ = nullptr;
    FrameSink* sink_ = nullptr;
    uint32_t clearColor_ = 0;
    bool fullScreen_ = false;
    int width_ = 0, height_ = 0, supersample_ = 1;
    std::vector<uint32_t> averaged_;  // the frame averaged down, when supersampling
    uint64_t frames_ = 0;
};

// Counts uses: every Initialize is matched by an Uninitialize. Contexts and textures may only be
// created while initialised.
HResult D3DXInitialize();
HResult D3DXUninitialize();
bool D3DXIsInitialized();

// deviceIndex: D3DX_DEFAULT (the one software device). flags: D3DX_CONTEXT_FULLSCREEN or 0.
// width, height: the target in pixels, D3DX_DEFAULT for 640 x 480. *context receives the new
// context with one reference.
HResult D3DXCreateContext(uint32_t deviceIndex, uint32_t flags, FrameSink* sink, uint32_t width, uint32_t height,
                          D3DXContext** context);

// Creates a texture surface of *width x *height texels (D3DX_DEFAULT means 256). Flags, palette
// and format are accepted; *format, *numMipMaps come back as X8R8G8B8 and 1 (no mip chain).
HResult D3DXCreateTexture(Device* device, uint32_t* flags, uint32_t* width, uint32_t* height, uint32_t* format,
                          void* palette, TextureSurface** surface, uint32_t* numMipMaps);

// Fills mip level 0 of surface from 32-bit pixels (srcFormat X8R8G8B8 or A8R8G8B8) of the
// surface's own size; srcPitch in bytes, D3DX_DEFAULT for width * 4. destRect must be null
// (the whole surface). The alpha byte is dropped: the surface has none.
HResult D3DXLoadTextureFromMemory(Device* device, TextureSurface* surface, uint32_t mipLevel, const void* pixels,
                                  void* palette, uint32_t srcFormat, uint32_t srcPitch, const void* destRect,
                                  uint32_t filter);

// The left-handed perspective projection whose view window at the near plane is w x h:
//   [2zn/w 0 0 0; 0 2zn/h 0 0; 0 0 zf/(zf-zn) 1; 0 0 -zn*zf/(zf-zn) 0]  (rows).
Matrix4* D3DXMatrixPerspective(Matrix4* out, float w, float h, float zn, float zf);

}  // namespace cm
