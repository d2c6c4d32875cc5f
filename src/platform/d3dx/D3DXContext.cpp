#include "platform/d3dx/D3DX.h"

#include "platform/device/Device.h"
#include "platform/device/Direct3D.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/RenderTarget.h"
#include "platform/device/Supersample.h"

#include <new>

namespace cm {

namespace {
// Number of Initialize calls not yet matched by Uninitialize (main thread only).
int g_initializeCount = 0;
}  // namespace

bool D3DXIsInitialized() { return g_initializeCount > 0; }

HResult D3DXInitialize() {
    ++g_initializeCount;
    return kD3DOk;
}

HResult D3DXUninitialize() {
    if (g_initializeCount == 0) return kD3DXErrNotInitialized;
    --g_initializeCount;
    return kD3DOk;
}

HResult D3DXCreateContext(uint32_t deviceIndex, uint32_t flags, FrameSink* sink, uint32_t width, uint32_t height,
                          D3DXContext** context) {
    if (!context) return kD3DXErrInvalidParameter;
    *context = nullptr;
    if (g_initializeCount == 0) return kD3DXErrNotInitialized;
    if (deviceIndex != D3DX_DEFAULT && deviceIndex != 0) return kD3DXErrInvalidParameter;
    const int w = width == D3DX_DEFAULT ? kD3DXDefaultWidth : static_cast<int>(width > 8192 ? 0 : width);
    const int h = height == D3DX_DEFAULT ? kD3DXDefaultHeight : static_cast<int>(height > 8192 ? 0 : height);
    DirectDraw* dd = DirectDraw::Create(w, h);
    if (!dd) return kD3DXErrInvalidParameter;
    Direct3D* d3d = Direct3D::Create();
    Device* device = Device::Create(dd);
    D3DXContext* ctx = new (std::nothrow) D3DXContext();
    if (!d3d || !device || !ctx) {
        if (ctx) ctx->Release();
        if (device) device->Release();
        if (d3d) d3d->Release();
        dd->Release();
        return kD3DErrOutOfMemory;
    }
    ctx->directDraw_ = dd;
    ctx->direct3D_ = d3d;
    ctx->device_ = device;
    ctx->sink_ = sink;
    ctx->width_ = w;
    ctx->height_ = h;
    ctx->fullScreen_ = (flags & D3DX_CONTEXT_FULLSCREEN) != 0;
    *context = ctx;
    return kD3DOk;
}

D3DXContext::~D3DXContext() {
    if (device_) device_->Release();
    if (direct3D_) direct3D_->Release();
    if (directDraw_) directDraw_->Release();
}

Device* D3DXContext::GetD3DDevice() {
    device_->AddRef();
    return device_;
}

DirectDraw* D3DXContext::GetDD() {
    directDraw_->AddRef();
    return directDraw_;
}

Direct3D* D3DXContext::GetD3D() {
    direct3D_->AddRef();
    return direct3D_;
}

HResult D3DXContext::SetClearColor(uint32_t argb) {
    clearColor_ = argb;
    return kD3DOk;
}

HResult D3DXContext::Clear(uint32_t flags) {
    if (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) return kD3DXErrInvalidParameter;
    return device_->Clear((flags & D3DCLEAR_TARGET) != 0, clearColor_, (flags & D3DCLEAR_ZBUFFER) != 0, 1.0f);
}

HResult D3DXContext::SetRenderSize(int width, int height, int supersample) {
    if (width < 1 || height < 1 || supersample < 1 || supersample > 4) return kD3DXErrInvalidParameter;
    if (width > DirectDraw::kMaxSize / supersample || height > DirectDraw::kMaxSize / supersample)
        return kD3DXErrInvalidParameter;
    if (device_->SetRenderSize(width * supersample, height * supersample) < 0) return kD3DXErrInvalidParameter;
    width_ = width;
    height_ = height;
    supersample_ = supersample;
    averaged_.clear();
    averaged_.shrink_to_fit();
    device_->Clear(true, 0, true, 1.0f);
    return kD3DOk;
}

HResult D3DXContext::UpdateFrame(uint32_t flags) {
    ++frames_;
    if (!sink_) return kD3DOk;
    const RenderTarget& t = device_->GetRenderTarget();
    const uint32_t* pixels = t.color.data();
    if (supersample_ > 1) {
        averaged_.resize(static_cast<size_t>(width_) * height_);
        AverageDown(t, supersample_, averaged_.data(), device_->GetWorkers());
        pixels = averaged_.data();
    }
    sink_->ShowFrame(pixels, width_, height_, (flags & D3DX_UPDATE_NOVSYNC) == 0);
    return kD3DOk;
}

}  // namespace cm
