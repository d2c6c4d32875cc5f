// The software Direct3D 7 device: the methods and states the show uses, drawing into a
// RenderTarget in memory. No SDL, no window: presentation belongs to the d3dx context.
//
// Owns: the device state (DeviceState.h), the per-draw scratch, the call record. Does not own
// the render target (the DirectDraw object does) or the textures (references are held while
// bound).
// Units: pre-transformed vertices in pixels of the device's own size (its target's size when it
// was created; 640 x 480 for the show) with pixel centres at integers, depth 0 (near) to 1
// (far); untransformed vertices in model units through world, view, projection (row vectors);
// colours packed ARGB. The viewport and Clear are in the same pixels.
//
// Render size: SetRenderSize gives the target another size while every caller keeps working in
// the device's own pixels. Transformed vertices go through the viewport scaled to the target
// (a viewport of the target's real size), pre-transformed ones and rectangles are scaled by the
// same factor (x W / width, y H / height), so a quad from 0 to the device's width covers the
// whole target and any quad covers the same fraction of the picture at every size. At the
// device's own size nothing is scaled and the pixels are those of a device never resized.
//
// Threads: with SetThreadCount(n > 1) the device hands a frame's triangles and clears, after
// their vertex stage, to n - 1 drawing threads as draws end, while the caller's thread goes on
// with the next calls; Flush draws alongside them until the frame is done. The design and why
// every n gives the same bytes are in BandedFrame.h. Flush is called before
// anything reads the target (GetRenderTarget, GetPixelsDrawn), before the target is resized and
// before a texture is loaded through D3DXLoadTextureFromMemory; a kept draw holds a reference on
// its texture. Calls must still come from one thread.
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
#include "platform/device/Span.h"

#include <cstdint>
#include <memory>
#include <string>

namespace cm {

class BandedFrame;
class DirectDraw;
class TextureSurface;
class VertexBuffer;
class WorkerPool;
struct Pipeline;
struct RasterContext;

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
    // The target, with every kept triangle drawn.
    RenderTarget& GetRenderTarget();
    const RenderTarget& GetRenderTarget() const;

    // Resizes the target (its content is lost; the caller clears it). Refused with
    // kD3DErrInvalidParams for a size outside 1..DirectDraw's limit.
    HResult SetRenderSize(int width, int height);
    int GetWidth() const { return width_; }    // the device's own size, in which callers work
    int GetHeight() const { return height_; }
    // 1 (the default) draws each triangle at once on the caller's thread; more hands them to
    // drawing threads (see above).
    void SetThreadCount(int threads);
    int GetThreadCount() const;
    // The device's threads, for work that can be shared out the same way; null with one thread.
    WorkerPool* GetWorkers() const { return workers_.get(); }
    // Waits until every kept triangle and clear is drawn; does nothing when none are kept.
    void Flush();
    DirectDraw* GetDirectDraw() const { return directDraw_; }
    CallRecord& GetCallRecord() { return record_; }

    // Fast (the default) uses the widest vector span loops the processor has; Avx2 at most the
    // 8-wide ones; Plain the reference loops. For tests and benchmarks that compare them.
    void SetSpanPath(SpanPath path);
    SpanPath GetSpanPath() const { return spanPath_; }

    // Pixels that passed the coverage test since creation (all draws); a cheap counter for
    // benchmarks and tests of what a draw touched.
    uint64_t GetPixelsDrawn() const;
    // Of those, the pixels drawn by the span loops of one instruction set.
    uint64_t GetPixelsDrawn(SpanLevel level) const;

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
    void UpdateTransforms();
    void ProcessVertices(bool transformed, const uint8_t* data, uint32_t count);
    RasterContext MakeRasterContext();
    // The viewport (or any rectangle of the device's pixels) in pixels of the target.
    void TargetRect(int x, int y, int width, int height, int& x0, int& y0, int& x1, int& y1) const;

    DirectDraw* directDraw_;
    DeviceState state_;
    CallRecord record_;
    std::unique_ptr<Pipeline> pipeline_;
    bool inScene_ = false;
    SpanPath spanPath_ = SpanPath::Fast;
    uint64_t pixelsDrawn_[kSpanLevelCount] = {};
    bool rasterizing_ = true;
    int width_ = 0, height_ = 0;
    std::unique_ptr<WorkerPool> workers_;
    std::unique_ptr<BandedFrame> frame_;
    friend struct Pipeline;
};

}  // namespace cm
