#include "display/DisplayDevice.h"

#include "display/RegistryState.h"
#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"
#include "platform/device/Direct3D.h"
#include "platform/device/DirectDraw.h"
#include "platform/device/VertexBuffer.h"
#include "platform/window/Window.h"

#include <algorithm>

namespace cm {

DisplayDevice::DisplayDevice() = default;
DisplayDevice::~DisplayDevice() { Destroy(); }

bool DisplayDevice::Create(int width_, int height_, uint32_t flags_, const char* title_) {
    width = width_;
    height = height_;
    flags = flags_;
    title = title_ ? title_ : "";
    if (D3DXInitialize() < 0) return false;
    initialized = true;

    WindowOptions options;
    options.width = width;
    options.height = height;
    options.framed = (flags & FramedWindow) != 0;
    options.fullScreen = (flags & FullScreen) != 0;
    options.showCursor = (flags & ShowCursor) != 0;
    options.vsync = (flags & WaitVSync) != 0;
    options.title = title;
    window = Window::Open(options);
    if (!window) return false;
    return CreateContext(window.get());
}

bool DisplayDevice::CreateHeadless(int width_, int height_, uint32_t flags_, const char* title_, FrameSink* sink) {
    width = width_;
    height = height_;
    flags = flags_;
    title = title_ ? title_ : "";
    if (D3DXInitialize() < 0) return false;
    initialized = true;
    return CreateContext(sink);
}

bool DisplayDevice::CreateContext(FrameSink* sink) {
    // Windowed, the buffers take the client size; full screen, the library's 640 x 480 mode
    // (scaled to the desktop by the window).
    const bool full = (flags & FullScreen) != 0;
    const uint32_t w = full || width < 1 ? D3DX_DEFAULT : static_cast<uint32_t>(width);
    const uint32_t h = full || height < 1 ? D3DX_DEFAULT : static_cast<uint32_t>(height);
    if (D3DXCreateContext(D3DX_DEFAULT, full ? D3DX_CONTEXT_FULLSCREEN : 0, sink, w, h, &context) < 0) return false;
    g_registry.context = context;
    device = context->GetD3DDevice();
    g_registry.device = device;
    directDraw = context->GetDD();
    g_registry.directDraw = directDraw;

    device->SetThreadCount(renderOptions.threads);
    if (!ApplyRenderSize()) return false;
    context->SetClearColor(0);
    context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    context->UpdateFrame(0);

    direct3D = context->GetD3D();
    D3DVertexBufferDesc desc;
    desc.size = 16;
    desc.caps = D3DVBCAPS_WRITEONLY;
    desc.fvf = kFvfScreenVertex;
    desc.numVertices = kScreenVertexCount;
    // Every screen quad, flash and spark is drawn from this buffer: without it the show cannot run.
    if (direct3D->CreateVertexBuffer(&desc, &screenVertexBuffer, 0) < 0 || !screenVertexBuffer) return false;
    g_registry.screenVertexBuffer = screenVertexBuffer;

    EnableZBuffer();
    EnableClipping();
    DisableLighting();
    return true;
}

uint32_t DisplayDevice::PumpMessages() {
    if (window) {
        WindowEvent event;
        while (window->PollEvent(event)) {
            // Closing the window ends the show as Escape does.
            if (event.kind == WindowEvent::Close) KeyDown(kVirtualKeyEscape);
            else KeyDown(event.virtualKey);
        }
    }
    const uint32_t key = lastKey;
    lastKey = 0;
    keysPressed.swap(keysWaiting);
    keysWaiting.clear();
    return key;
}

int DisplayDevice::GetRenderWidth() const { return context ? context->GetWidth() : 0; }
int DisplayDevice::GetRenderHeight() const { return context ? context->GetHeight() : 0; }

bool DisplayDevice::ApplyRenderSize() {
    int w = renderOptions.width > 0 ? renderOptions.width : width;
    int h = renderOptions.height > 0 ? renderOptions.height : height;
    if (window && !renderOptions.originalPixels) {
        int cw = 0, ch = 0;
        window->GetDrawableSize(cw, ch);
        const PictureRect picture = FitPicture(cw, ch);
        w = picture.width, h = picture.height;
    } else if (window) {
        w = width, h = height;
    }
    int k = std::clamp(renderOptions.supersample, 1, 4);
    while (k > 1 && (w * k > DirectDraw::kMaxSize || h * k > DirectDraw::kMaxSize)) --k;
    if (w == context->GetWidth() && h == context->GetHeight() && k == context->GetSupersample()) return true;
    return context->SetRenderSize(w, h, k) >= 0;
}

void DisplayDevice::SetDrawing(bool on) {
    drawing = on;
    if (device) device->SetRasterizing(on);
}

void DisplayDevice::BeginFrame(const Color4& color) {
    if (!context) return;
    if (window) ApplyRenderSize();
    context->SetClearColor(color.Pack());
    context->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
}

void DisplayDevice::Present() {
    if (!context || !drawing) return;
    context->UpdateFrame((flags & WaitVSync) ? 0 : D3DX_UPDATE_NOVSYNC);
}

void DisplayDevice::Destroy() {
    // The accessors must not hand out what is released here.
    if (g_registry.context == context) g_registry = RegistryState{};
    if (screenVertexBuffer) screenVertexBuffer->Release();
    if (direct3D) direct3D->Release();
    if (directDraw) directDraw->Release();
    if (device) device->Release();
    if (context) context->Release();
    screenVertexBuffer = nullptr;
    direct3D = nullptr;
    directDraw = nullptr;
    device = nullptr;
    context = nullptr;
    if (initialized) D3DXUninitialize();
    initialized = false;
    window.reset();
}

}  // namespace cm
