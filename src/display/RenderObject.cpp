#include "display/RenderObject.h"

#include "display/Registry.h"
#include "math/Matrix4.h"
#include "platform/d3dx/D3DX.h"
#include "platform/device/Device.h"

namespace cm {

void RenderObject::BeginScene() {
    if (Device* d = GetDevice()) d->BeginScene();
}

void RenderObject::EndScene() {
    if (Device* d = GetDevice()) d->EndScene();
}

void RenderObject::EnableZBuffer() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_ZENABLE, kTrue);
}

void RenderObject::DisableZBuffer() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_ZENABLE, kFalse);
}

void RenderObject::EnablePerspectiveCorrection() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, kTrue);
}

void RenderObject::SetLinearFiltering(uint32_t stage) {
    if (Device* d = GetDevice()) {
        d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
        d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    }
}

void RenderObject::SetPointFiltering(uint32_t stage) {
    if (Device* d = GetDevice()) {
        d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTFG_POINT);
        d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTFN_POINT);
    }
}

void RenderObject::EnableAdditiveBlend() {
    if (Device* d = GetDevice()) {
        d->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kTrue);
    }
}

void RenderObject::DisableBlend() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, kFalse);
}

void RenderObject::BindTexture(TextureSurface* texture) {
    if (Device* d = GetDevice()) {
        d->SetTexture(0, texture);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    }
}

void RenderObject::UnbindTexture(uint32_t stage) {
    if (Device* d = GetDevice()) d->SetTexture(stage, nullptr);
}

void RenderObject::EnableCulling() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
}

void RenderObject::DisableCulling() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
}

void RenderObject::EnableLighting() {
    if (Device* d = GetDevice()) {
        d->SetRenderState(D3DRENDERSTATE_LIGHTING, kTrue);
        d->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
    }
}

void RenderObject::DisableLighting() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_LIGHTING, kFalse);
}

void RenderObject::EnableClipping() {
    if (Device* d = GetDevice()) d->SetRenderState(D3DRENDERSTATE_CLIPPING, kTrue);
}

void RenderObject::SetViewMatrix(const Matrix4* matrix) {
    Device* d = GetDevice();
    if (d && matrix) d->SetTransform(D3DTRANSFORMSTATE_VIEW, matrix);
}

void RenderObject::SetWorldMatrix(const Matrix4* matrix) {
    Device* d = GetDevice();
    if (d && matrix) d->SetTransform(D3DTRANSFORMSTATE_WORLD, matrix);
}

void RenderObject::SetProjection(float nearPlane, float farPlane) {
    if (Device* d = GetDevice()) {
        Matrix4 projection;
        D3DXMatrixPerspective(&projection, 0.2f, 0.15f, nearPlane, farPlane);
        d->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    }
}

}  // namespace cm
