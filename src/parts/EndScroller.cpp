#include "parts/EndScroller.h"

#include "display/Registry.h"
#include "display/ScreenVertex.h"
#include "platform/device/Device.h"
#include "platform/device/VertexBuffer.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"

namespace cm {

bool EndScroller::Load(const PartResources& resources) {
    overlay = resources.textures->Load("data\\endBackground.jpg");
    if (overlay == nullptr) return false;
    scroll = resources.textures->Load("data\\scroll.jpg");
    return scroll != nullptr;
}

bool EndScroller::FramePart(float dt, int* quitFlag) {
    DrawScrollQuad(scroll, 0.0f, y, 640.0f, y + 960.0f, true);
    y = Scrolled(y, dt);
    overlay->DrawScreenQuad(0.0f, 0.0f, 640.0f, 480.0f, 1, 1);
    if (HasEnded(y) && quitFlag != nullptr) *quitFlag = 1;
    return true;
}

void EndScroller::DrawScrollQuad(Texture* texture, float x0, float y0, float x1, float y1, bool filtered) {
    BeginScene();
    DisableZBuffer();
    EnableClipping();
    DisableLighting();
    DisableCulling();
    BindTexture(texture != nullptr ? texture->GetSurface() : nullptr);
    if (filtered) {
        SetLinearFiltering(0);
    } else {
        SetPointFiltering(0);
    }
    Device* device = GetDevice();
    VertexBuffer* buffer = GetScreenVertexBuffer();
    if (device != nullptr) {
        // Blend factors one/one as the overlay uses them, but blending off: written opaque.
        device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kFalse);
    }
    void* data = nullptr;
    uint32_t bytes = 0;
    if (device != nullptr && buffer != nullptr && buffer->Lock(DDLOCK_WAIT | DDLOCK_WRITEONLY, &data, &bytes) == kD3DOk) {
        const bool fits = bytes >= 4 * sizeof(ScreenVertex);
        if (fits) {
            ScreenVertex* v = static_cast<ScreenVertex*>(data);
            v[0] = {x0, y0, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f};
            v[1] = {x1, y0, 0.0f, 1.0f, 0xFFFFFFFFu, 1.0f, 0.0f};
            v[2] = {x1, y1, 0.0f, 1.0f, 0xFFFFFFFFu, 1.0f, 1.0f};
            v[3] = {x0, y1, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 1.0f};
        }
        buffer->Unlock();
        if (fits) device->DrawPrimitiveVB(D3DPT_TRIANGLEFAN, buffer, 0, 4, 0);
    }
    EndScene();
}

}  // namespace cm
