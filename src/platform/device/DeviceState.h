// Everything a device remembers between calls, in one place. Render and texture stage states
// are tables indexed by their Direct3D number; the constructor writes Direct3D 7's defaults for
// a device created with a depth buffer attached. The numbers are listed in D3DTypes.h.
#pragma once

#include "math/Matrix4.h"
#include "platform/device/D3DTypes.h"

#include <cstdint>

namespace cm {

class TextureSurface;

// Viewport in pixels of the render target plus its depth range (D3DVIEWPORT7).
struct Viewport {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;
};

struct DeviceState {
    // renderStates[n] is D3DRENDERSTATE n. Defaults: TEXTUREPERSPECTIVE (4) TRUE, ZENABLE (7) TRUE
    // (a depth buffer is attached), FILLMODE (8) SOLID, SHADEMODE (9) GOURAUD, ZWRITEENABLE (14)
    // TRUE, LASTPIXEL (16) TRUE, SRCBLEND (19) ONE, DESTBLEND (20) ZERO, CULLMODE (22) CCW,
    // ZFUNC (23) LESSEQUAL, ALPHAFUNC (25) ALWAYS, FOGEND (37) 1.0f, FOGDENSITY (38) 1.0f,
    // TEXTUREFACTOR (60) white, CLIPPING (136) TRUE, LIGHTING (137) TRUE, COLORVERTEX (141) TRUE;
    // every other state 0 (FOGCOLOR black, FOGSTART 0.0f, fog modes NONE, blending off, AMBIENT 0).
    uint32_t renderStates[kRenderStateCount] = {};
    // stageStates[stage][n] is D3DTSS n of that stage. Stage 0: COLOROP MODULATE, ALPHAOP
    // SELECTARG1; later stages DISABLE; every stage TEXTURE/CURRENT arguments, WRAP addressing,
    // POINT filters, no mipmapping, TEXCOORDINDEX = stage.
    uint32_t stageStates[kTextureStageCount][kTextureStageStateCount] = {};
    // WORLD, VIEW, PROJECTION; identity at creation.
    Matrix4 world;
    Matrix4 view;
    Matrix4 projection;
    // All zeros until SetMaterial.
    D3DMaterial7 material;
    // Bound textures (a reference is held on each), none at creation.
    TextureSurface* textures[kTextureStageCount] = {};
    Viewport viewport;

    DeviceState();
    void SetDefaults(int targetWidth, int targetHeight);
    float RenderStateFloat(RenderState state) const;
};

}  // namespace cm
