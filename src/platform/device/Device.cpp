#include "platform/device/Device.h"

#include "platform/device/BandedFrame.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/Pipeline.h"
#include "platform/device/TextureSurface.h"
#include "platform/device/VertexBuffer.h"
#include "platform/device/WorkerPool.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace cm {

Device* Device::Create(DirectDraw* directDraw) {
    if (!directDraw) return nullptr;
    return new (std::nothrow) Device(directDraw);
}

Device::Device(DirectDraw* directDraw)
    : directDraw_(directDraw), pipeline_(std::make_unique<Pipeline>()) {
    directDraw_->AddRef();
    const RenderTarget& target = directDraw_->GetRenderTarget();
    width_ = target.width;
    height_ = target.height;
    state_.SetDefaults(target.width, target.height);
}

Device::~Device() {
    Flush();  // kept draws write into the target and hold their textures
    for (TextureSurface*& t : state_.textures) {
        if (t) t->Release();
        t = nullptr;
    }
    directDraw_->Release();
}

RenderTarget& Device::GetRenderTarget() {
    Flush();
    return directDraw_->GetRenderTarget();
}

// Reading the target draws what is kept: logically const, the pixels are those of the calls made.
const RenderTarget& Device::GetRenderTarget() const { return const_cast<Device*>(this)->GetRenderTarget(); }

uint64_t Device::GetPixelsDrawn() const {
    const_cast<Device*>(this)->Flush();
    uint64_t sum = 0;
    for (uint64_t pixels : pixelsDrawn_) sum += pixels;
    return sum;
}

uint64_t Device::GetPixelsDrawn(SpanLevel level) const {
    const_cast<Device*>(this)->Flush();
    return pixelsDrawn_[static_cast<int>(level)];
}

HResult Device::SetRenderSize(int width, int height) {
    Flush();
    pipeline_->contextDirty = true;
    return directDraw_->Resize(width, height) ? kD3DOk : kD3DErrInvalidParams;
}

void Device::SetSpanPath(SpanPath path) {
    spanPath_ = path;
    pipeline_->contextDirty = true;
}

void Device::SetThreadCount(int threads) {
    Flush();
    threads = std::clamp(threads, 1, WorkerPool::kMaxThreads);
    if (threads == GetThreadCount()) return;
    frame_ = nullptr;
    workers_ = threads > 1 ? std::make_unique<WorkerPool>(threads) : nullptr;
    if (threads > 1) frame_ = std::make_unique<BandedFrame>(threads);
}

int Device::GetThreadCount() const { return workers_ ? workers_->GetThreadCount() : 1; }

void Device::Flush() {
    if (frame_) frame_->Finish(pixelsDrawn_);
}

// A rectangle's edge at e of the device's pixels lies at e s in the target (as for vertices):
// the first target pixel centre at or right of it is ceil(e s).
static int ScaleEdge(int e, int size, int targetSize) {
    if (size == targetSize) return e;
    return static_cast<int>(std::ceil(static_cast<double>(e) * targetSize / size));
}

void Device::TargetRect(int x, int y, int width, int height, int& x0, int& y0, int& x1, int& y1) const {
    const RenderTarget& target = directDraw_->GetRenderTarget();
    x0 = std::clamp(ScaleEdge(x, width_, target.width), 0, target.width);
    x1 = std::clamp(ScaleEdge(x + width, width_, target.width), x0, target.width);
    y0 = std::clamp(ScaleEdge(y, height_, target.height), 0, target.height);
    y1 = std::clamp(ScaleEdge(y + height, height_, target.height), y0, target.height);
}

HResult Device::BeginScene() {
    const HResult r = inScene_ ? kD3DErrSceneInScene : kD3DOk;
    if (record_.IsEnabled()) record_.Add(DeviceMethod::BeginScene).result = r;
    if (r == kD3DOk) inScene_ = true;
    return r;
}

HResult Device::EndScene() {
    const HResult r = inScene_ ? kD3DOk : kD3DErrSceneNotInScene;
    if (record_.IsEnabled()) record_.Add(DeviceMethod::EndScene).result = r;
    inScene_ = false;
    return r;
}

HResult Device::SetTransform(TransformState state, const Matrix4* matrix) {
    Matrix4* slot = nullptr;
    if (state == D3DTRANSFORMSTATE_WORLD) slot = &state_.world;
    else if (state == D3DTRANSFORMSTATE_VIEW) slot = &state_.view;
    else if (state == D3DTRANSFORMSTATE_PROJECTION) slot = &state_.projection;
    const HResult r = slot && matrix ? kD3DOk : kD3DErrInvalidParams;
    if (record_.IsEnabled()) {
        DeviceCall& c = record_.Add(DeviceMethod::SetTransform);
        c.a = state;
        c.hasData = matrix != nullptr;
        if (matrix) c.matrix = *matrix;
        c.result = r;
    }
    if (r != kD3DOk) return r;
    *slot = *matrix;
    pipeline_->transformDirty = true;
    return r;
}

HResult Device::GetTransform(TransformState state, Matrix4* matrix) const {
    if (!matrix) return kD3DErrInvalidParams;
    if (state == D3DTRANSFORMSTATE_WORLD) *matrix = state_.world;
    else if (state == D3DTRANSFORMSTATE_VIEW) *matrix = state_.view;
    else if (state == D3DTRANSFORMSTATE_PROJECTION) *matrix = state_.projection;
    else return kD3DErrInvalidParams;
    return kD3DOk;
}

HResult Device::SetRenderState(RenderState state, uint32_t value) {
    const HResult r = state != 0 && state < kRenderStateCount ? kD3DOk : kD3DErrInvalidParams;
    if (record_.IsEnabled()) {
        DeviceCall& c = record_.Add(DeviceMethod::SetRenderState);
        c.a = state;
        c.b = value;
        c.result = r;
    }
    if (r != kD3DOk) return r;
    state_.renderStates[state] = value;
    pipeline_->contextDirty = true;
    return r;
}

HResult Device::GetRenderState(RenderState state, uint32_t* value) const {
    if (!value || state == 0 || state >= kRenderStateCount) return kD3DErrInvalidParams;
    *value = state_.renderStates[state];
    return kD3DOk;
}

HResult Device::SetMaterial(const D3DMaterial7* material) {
    const HResult r = material ? kD3DOk : kD3DErrInvalidParams;
    if (record_.IsEnabled()) {
        DeviceCall& c = record_.Add(DeviceMethod::SetMaterial);
        c.hasData = material != nullptr;
        if (material) c.material = *material;
        c.result = r;
    }
    if (material) state_.material = *material;
    return r;
}

HResult Device::GetMaterial(D3DMaterial7* material) const {
    if (!material) return kD3DErrInvalidParams;
    *material = state_.material;
    return kD3DOk;
}

HResult Device::SetTexture(uint32_t stage, TextureSurface* texture) {
    const HResult r = stage < kTextureStageCount ? kD3DOk : kD3DErrInvalidParams;
    if (record_.IsEnabled()) {
        DeviceCall& c = record_.Add(DeviceMethod::SetTexture);
        c.a = stage;
        c.pointer = texture;
        c.result = r;
    }
    if (r != kD3DOk) return r;
    TextureSurface*& slot = state_.textures[stage];
    if (texture) texture->AddRef();
    if (slot) slot->Release();
    slot = texture;
    pipeline_->contextDirty = true;
    return r;
}

HResult Device::GetTexture(uint32_t stage, TextureSurface** texture) const {
    if (!texture || stage >= kTextureStageCount) return kD3DErrInvalidParams;
    *texture = state_.textures[stage];
    return kD3DOk;
}

HResult Device::SetTextureStageState(uint32_t stage, TextureStageState state, uint32_t value) {
    const HResult r =
        stage < kTextureStageCount && state != 0 && state < kTextureStageStateCount ? kD3DOk : kD3DErrInvalidParams;
    if (record_.IsEnabled()) {
        DeviceCall& c = record_.Add(DeviceMethod::SetTextureStageState);
        c.a = stage;
        c.b = state;
        c.c = value;
        c.result = r;
    }
    if (r != kD3DOk) return r;
    uint32_t* states = state_.stageStates[stage];
    states[state] = value;
    pipeline_->contextDirty = true;
    // ADDRESS sets both directions at once.
    if (state == D3DTSS_ADDRESS) states[D3DTSS_ADDRESSU] = states[D3DTSS_ADDRESSV] = value;
    return r;
}

HResult Device::GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t* value) const {
    if (!value || stage >= kTextureStageCount || state == 0 || state >= kTextureStageStateCount)
        return kD3DErrInvalidParams;
    *value = state_.stageStates[stage][state];
    return kD3DOk;
}

static uint32_t StrideOf(uint32_t fvf) {
    if (fvf == kFvfScreenVertex) return kScreenVertexStride;
    if (fvf == kFvfMeshVertex) return kMeshVertexStride;
    return 0;
}

static bool KnownPrimitive(PrimitiveType type) { return type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN; }

HResult Device::DrawPrimitive(PrimitiveType type, uint32_t fvf, const void* vertices, uint32_t count,
                              uint32_t flags) {
    const uint32_t stride = StrideOf(fvf);
    HResult r = kD3DOk;
    if (!KnownPrimitive(type) || stride == 0 || (!vertices && count != 0)) r = kD3DErrInvalidParams;
    if (record_.IsEnabled()) {
        DeviceCall& c = record_.Add(DeviceMethod::DrawPrimitive);
        c.a = type;
        c.b = fvf;
        c.c = count;
        c.d = flags;
        c.pointer = vertices;
        if (r == kD3DOk && count) {
            const uint8_t* p = static_cast<const uint8_t*>(vertices);
            c.vertices.assign(p, p + static_cast<size_t>(stride) * count);
        }
        c.result = r;
    }
    if (r != kD3DOk) return r;
    return Draw(type, fvf, static_cast<const uint8_t*>(vertices), count);
}

HResult Device::DrawPrimitiveVB(PrimitiveType type, VertexBuffer* buffer, uint32_t startVertex, uint32_t count,
                                uint32_t flags) {
    HResult r = kD3DOk;
    if (!KnownPrimitive(type) || !buffer) r = kD3DErrInvalidParams;
    else if (buffer->IsLocked()) r = kD3DErrVertexBufferLocked;
    else if (startVertex > buffer->GetVertexCount() || count > buffer->GetVertexCount() - startVertex)
        r = kD3DErrInvalidParams;
    const uint8_t* first = r == kD3DOk ? buffer->GetData() + static_cast<size_t>(startVertex) * buffer->GetStride()
                                       : nullptr;
    if (record_.IsEnabled()) {
        DeviceCall& c = record_.Add(DeviceMethod::DrawPrimitiveVB);
        c.a = type;
        c.pointer = buffer;
        c.b = buffer ? buffer->GetFvf() : 0;
        c.c = count;
        c.d = flags;
        c.e = startVertex;
        if (first && count) c.vertices.assign(first, first + static_cast<size_t>(buffer->GetStride()) * count);
        c.result = r;
    }
    if (r != kD3DOk) return r;
    return Draw(type, buffer->GetFvf(), first, count);
}

HResult Device::Clear(bool clearColor, uint32_t color, bool clearDepth, float depth) {
    if (!rasterizing_) return kD3DOk;
    const Viewport& vp = state_.viewport;
    int x0, y0, x1, y1;
    TargetRect(vp.x, vp.y, vp.width, vp.height, x0, y0, x1, y1);
    if (!(depth >= 0.0f)) depth = 0.0f;  // NaN too
    if (depth > 1.0f) depth = 1.0f;
    if (frame_) {
        frame_->AddClear(directDraw_->GetRenderTarget(), x0, y0, x1, y1, clearColor, color, clearDepth, depth);
        return kD3DOk;
    }
    RenderTarget& target = directDraw_->GetRenderTarget();
    for (int y = y0; y < y1; ++y) {
        const size_t row = static_cast<size_t>(y) * target.width;
        if (clearColor) std::fill(target.color.begin() + row + x0, target.color.begin() + row + x1, color);
        if (clearDepth) std::fill(target.depth.begin() + row + x0, target.depth.begin() + row + x1, depth);
    }
    return kD3DOk;
}

}  // namespace cm
