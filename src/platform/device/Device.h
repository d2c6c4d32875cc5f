// The software Direct3D 7 device: the methods and states the show uses, drawing into a
// RenderTarget in memory. No SDL, no window: presentation belongs to the d3dx context.
//
// Owns: the device state (DeviceState.h), the per-draw scratch, the call record. Does not own
// the render target (the DirectDraw object does) or the textures (references are held while
// bound).
// Units: pre-transformed vertices in pixels of the target with pixel centres at integers, depth
// 0 (near) to 1 (far); untransformed vertices in model units through world, view, projection
// (row vectors); colours packed ARGB.
// Errors: a call with a bad argument (unknown state number, stage, primitive type or vertex
// format, null pointers, locked buffer) returns a negative HResult and changes nothing; drawing
// never reads outside the vertices it was given nor writes outside the target, whatever the
// coordinates (non-finite vertices drop their triangle).
#pragma once

#include "math/Matrix4.h"
#include "platform/device/CallRecord.h"
#include "platform/device/D3DTypes.h"
#include "platform/device/DeviceState.h"
#include "platform/device/RefCounted.h"
#include "platform/device/RenderTarget.h"

#include <cstdint>
#include <memory>
#include <string>

namespace cm {

class DirectDraw;
class TextureSurface;
class VertexBuffer;
struct Pipeline;

// Which span loops the rasterizer runs. All give the same pixels; Plain is the reference, Fast
// the widest vector loops the processor has, Avx2 at most the 8-wide ones.
enum class SpanPath : uint8_t { Plain, Fast, Avx2 };

class Device final : public RefCounted {
public:
    // A device drawing into the DirectDraw object's target (a reference on it is held).
    static Device* Create(DirectDraw* directDraw);

    HResult BeginScene();
    HResult EndScene();
    bool IsInScene() const { return inScene_; }

    HResult SetTransform(TransformState state, const Matrix4* matrix);
    HResult GetTransform(TransformState state, Matrix4* matrix) const;
    HResult SetRenderState(RenderState state, uint32_t value);
    HResult GetRenderState(RenderState state, uint32_t* value) const;
    HResult SetMaterial(const D3DMaterial7* material);
    HResult GetMaterial(D3DMaterial7* material) const;
    HResult SetTexture(uint32_t stage, TextureSurface* texture);
    HResult GetTexture(uint32_t stage, TextureSurface** texture) const;  // no reference added
    HResult SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value);
    HResult GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t* value) const;

    // vertices: count records of the format's stride. count 0 draws nothing and succeeds.
    // Point and line primitives are accepted and draw nothing (the show draws none).
    HResult DrawPrimitive(PrimitiveType type, uint32_t fvf, const void* vertices, uint32_t count, uint32_t flags);
    // Draws count vertices of the buffer from startVertex; the range must lie inside it.
    HResult DrawPrimitiveVB(PrimitiveType type, VertexBuffer* buffer, uint32_t startVertex, uint32_t count,
                            uint32_t flags);

    // Fills the viewport of the target with colour (ARGB) and the depth buffer with depth
    // (clamped to 0..1); either may be skipped. Used by the d3dx context.
    HResult Clear(bool clearColor, uint32_t color, bool clearDepth, float depth);

    const DeviceState& GetState() const { return state_; }
    RenderTarget& GetRenderTarget();
    const RenderTarget& GetRenderTarget() const;
    DirectDraw* GetDirectDraw() const { return directDraw_; }
    CallRecord& GetCallRecord() { return record_; }

    // Fast (the default) uses the widest vector span loops the processor has; Avx2 at most the
    // 8-wide ones; Plain the reference loops. For tests and benchmarks that compare them.
    void SetSpanPath(SpanPath path) { spanPath_ = path; }
    SpanPath GetSpanPath() const { return spanPath_; }

    // Pixels that passed the coverage test since creation (all draws); a cheap counter for
    // benchmarks and tests of what a draw touched.
    uint64_t GetPixelsDrawn() const { return pixelsDrawn_; }

    // Off: every call keeps its checks, results, state changes and record, but draws and clears
    // nothing. The show advances through frames this way when it seeks.
    void SetRasterizing(bool on) { rasterizing_ = on; }
    bool IsRasterizing() const { return rasterizing_; }
    // False while draw calls would neither draw nor be recorded: callers may then skip building
    // vertices (and shapes) whose only use is to be drawn, and make just their state calls.
    bool WantsPrimitives() const { return rasterizing_ || record_.IsEnabled(); }

    // Writes text in the device's own small font (capitals, digits, . , : - /; other letters as
    // capitals, anything else as '?') straight into the colour buffer, each character
    // kTextAdvance pixels wide and kTextHeight high from (x, y), clipped to the target. Changes
    // no state and is not recorded: for status lines over a finished frame.
    static constexpr int kTextAdvance = 8;
    static constexpr int kTextHeight = 10;
    void DrawTextLine(int x, int y, const std::string& text, uint32_t argb);

private:
    explicit Device(DirectDraw* directDraw);
    ~Device() override;

    HResult Draw(PrimitiveType type, uint32_t fvf, const uint8_t* vertices, uint32_t count);

    DirectDraw* directDraw_;
    DeviceState state_;
    CallRecord record_;
    std::unique_ptr<Pipeline> pipeline_;
    bool inScene_ = false;
    SpanPath spanPath_ = SpanPath::Fast;
    uint64_t pixelsDrawn_ = 0;
    bool rasterizing_ = true;
    friend struct Pipeline;
};

}  // namespace cm
