#include "platform/device/DeviceState.h"

#include <cstring>

namespace cm {

DeviceState::DeviceState() { SetDefaults(0, 0); }

void DeviceState::SetDefaults(int targetWidth, int targetHeight) {
    std::memset(renderStates, 0, sizeof(renderStates));
    const uint32_t one = 0x3F800000u;  // 1.0f
    renderStates[D3DRENDERSTATE_TEXTUREPERSPECTIVE] = kTrue;
    renderStates[D3DRENDERSTATE_ZENABLE] = D3DZB_TRUE;
    renderStates[D3DRENDERSTATE_FILLMODE] = 3;  // D3DFILL_SOLID
    renderStates[D3DRENDERSTATE_SHADEMODE] = D3DSHADE_GOURAUD;
    renderStates[D3DRENDERSTATE_ZWRITEENABLE] = kTrue;
    renderStates[D3DRENDERSTATE_LASTPIXEL] = kTrue;
    renderStates[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    renderStates[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    renderStates[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    renderStates[D3DRENDERSTATE_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates[D3DRENDERSTATE_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates[D3DRENDERSTATE_FOGEND] = one;
    renderStates[D3DRENDERSTATE_FOGDENSITY] = one;
    renderStates[D3DRENDERSTATE_TEXTUREFACTOR] = 0xFFFFFFFFu;
    renderStates[D3DRENDERSTATE_CLIPPING] = kTrue;
    renderStates[D3DRENDERSTATE_LIGHTING] = kTrue;
    renderStates[D3DRENDERSTATE_COLORVERTEX] = kTrue;

    std::memset(stageStates, 0, sizeof(stageStates));
    for (uint32_t s = 0; s < kTextureStageCount; ++s) {
        uint32_t* t = stageStates[s];
        t[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_TEXCOORDINDEX] = s;
        t[D3DTSS_ADDRESS] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        t[D3DTSS_MAGFILTER] = D3DTFG_POINT;
        t[D3DTSS_MINFILTER] = D3DTFN_POINT;
        t[D3DTSS_MIPFILTER] = D3DTFP_NONE;
        t[D3DTSS_MAXANISOTROPY] = 1;
    }
    world.SetIdentity();
    view.SetIdentity();
    projection.SetIdentity();
    material = D3DMaterial7{};
    viewport = Viewport{0, 0, targetWidth, targetHeight, 0.0f, 1.0f};
}

float DeviceState::RenderStateFloat(RenderState state) const {
    float f;
    std::memcpy(&f, &renderStates[state], sizeof(f));
    return f;
}

}  // namespace cm
