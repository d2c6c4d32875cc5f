// The numbers of the Direct3D 7 interface this device speaks: render states, texture stage
// states, transforms, primitive types, vertex formats, lock flags and result codes, each with
// the value the original API gives it, so callers pass exactly the constants they would have
// passed to the real interface.
#pragma once

#include <cstdint>

namespace cm {

// Result of every device call: 0 on success, negative on failure (the HRESULT convention).
using HResult = int32_t;
inline constexpr HResult kD3DOk = 0;
inline constexpr HResult kD3DErrInvalidParams = static_cast<HResult>(0x80070057u);  // E_INVALIDARG
inline constexpr HResult kD3DErrSceneInScene = static_cast<HResult>(0x887602F8u);
inline constexpr HResult kD3DErrSceneNotInScene = static_cast<HResult>(0x887602F9u);
inline constexpr HResult kD3DErrVertexBufferLocked = static_cast<HResult>(0x887602D8u);
inline constexpr HResult kD3DErrOutOfMemory = static_cast<HResult>(0x8007000Eu);   // E_OUTOFMEMORY
inline constexpr HResult kDDErrSurfaceBusy = static_cast<HResult>(0x887601B8u);

inline constexpr uint32_t kTrue = 1;
inline constexpr uint32_t kFalse = 0;

enum TransformState : uint32_t {
    D3DTRANSFORMSTATE_WORLD = 1,
    D3DTRANSFORMSTATE_VIEW = 2,
    D3DTRANSFORMSTATE_PROJECTION = 3,
};

enum RenderState : uint32_t {
    D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_FILLMODE = 8,
    D3DRENDERSTATE_SHADEMODE = 9,
    D3DRENDERSTATE_ZWRITEENABLE = 14,
    D3DRENDERSTATE_ALPHATESTENABLE = 15,
    D3DRENDERSTATE_LASTPIXEL = 16,
    D3DRENDERSTATE_SRCBLEND = 19,
    D3DRENDERSTATE_DESTBLEND = 20,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_ZFUNC = 23,
    D3DRENDERSTATE_ALPHAREF = 24,
    D3DRENDERSTATE_ALPHAFUNC = 25,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_ALPHABLENDENABLE = 27,
    D3DRENDERSTATE_FOGENABLE = 28,
    D3DRENDERSTATE_SPECULARENABLE = 29,
    D3DRENDERSTATE_FOGCOLOR = 34,
    D3DRENDERSTATE_FOGTABLEMODE = 35,
    D3DRENDERSTATE_FOGSTART = 36,  // value is the bit pattern of a float
    D3DRENDERSTATE_FOGEND = 37,    // value is the bit pattern of a float
    D3DRENDERSTATE_FOGDENSITY = 38,  // value is the bit pattern of a float
    D3DRENDERSTATE_RANGEFOGENABLE = 48,
    D3DRENDERSTATE_TEXTUREFACTOR = 60,
    D3DRENDERSTATE_CLIPPING = 136,
    D3DRENDERSTATE_LIGHTING = 137,
    D3DRENDERSTATE_AMBIENT = 139,
    D3DRENDERSTATE_FOGVERTEXMODE = 140,
    D3DRENDERSTATE_COLORVERTEX = 141,
};
// Render states are kept in a table indexed by their number; numbers at or above this are refused.
inline constexpr uint32_t kRenderStateCount = 160;

enum TextureStageState : uint32_t {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_TEXCOORDINDEX = 11,
    D3DTSS_ADDRESS = 12,
    D3DTSS_ADDRESSU = 13,
    D3DTSS_ADDRESSV = 14,
    D3DTSS_BORDERCOLOR = 15,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
    D3DTSS_MIPMAPLODBIAS = 19,
    D3DTSS_MAXMIPLEVEL = 20,
    D3DTSS_MAXANISOTROPY = 21,
};
inline constexpr uint32_t kTextureStageStateCount = 32;
inline constexpr uint32_t kTextureStageCount = 8;

enum PrimitiveType : uint32_t {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

// State values.
inline constexpr uint32_t D3DZB_FALSE = 0, D3DZB_TRUE = 1;
inline constexpr uint32_t D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2;
inline constexpr uint32_t D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3;
inline constexpr uint32_t D3DCMP_NEVER = 1, D3DCMP_LESS = 2, D3DCMP_EQUAL = 3, D3DCMP_LESSEQUAL = 4,
                          D3DCMP_GREATER = 5, D3DCMP_NOTEQUAL = 6, D3DCMP_GREATEREQUAL = 7, D3DCMP_ALWAYS = 8;
inline constexpr uint32_t D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCCOLOR = 3, D3DBLEND_INVSRCCOLOR = 4,
                          D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6, D3DBLEND_DESTALPHA = 7,
                          D3DBLEND_INVDESTALPHA = 8, D3DBLEND_DESTCOLOR = 9, D3DBLEND_INVDESTCOLOR = 10;
inline constexpr uint32_t D3DFOG_NONE = 0, D3DFOG_EXP = 1, D3DFOG_EXP2 = 2, D3DFOG_LINEAR = 3;
inline constexpr uint32_t D3DTOP_DISABLE = 1, D3DTOP_SELECTARG1 = 2, D3DTOP_SELECTARG2 = 3, D3DTOP_MODULATE = 4,
                          D3DTOP_MODULATE2X = 5, D3DTOP_MODULATE4X = 6, D3DTOP_ADD = 7;
inline constexpr uint32_t D3DTA_DIFFUSE = 0, D3DTA_CURRENT = 1, D3DTA_TEXTURE = 2, D3DTA_TFACTOR = 3,
                          D3DTA_SELECTMASK = 0x0F;
inline constexpr uint32_t D3DTFG_POINT = 1, D3DTFG_LINEAR = 2;
inline constexpr uint32_t D3DTFN_POINT = 1, D3DTFN_LINEAR = 2;
inline constexpr uint32_t D3DTFP_NONE = 1;
inline constexpr uint32_t D3DTADDRESS_WRAP = 1, D3DTADDRESS_MIRROR = 2, D3DTADDRESS_CLAMP = 3,
                          D3DTADDRESS_BORDER = 4;

// Flexible vertex format bits and the two layouts the device draws.
inline constexpr uint32_t D3DFVF_XYZ = 0x002, D3DFVF_XYZRHW = 0x004, D3DFVF_NORMAL = 0x010,
                          D3DFVF_DIFFUSE = 0x040, D3DFVF_SPECULAR = 0x080, D3DFVF_TEX1 = 0x100;
// Pre-transformed: x, y in pixels, z depth 0..1, rhw = 1/w, diffuse ARGB, u, v (28 bytes).
inline constexpr uint32_t kFvfScreenVertex = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x144
// Untransformed: x, y, z, normal x, y, z, diffuse ARGB, u, v (36 bytes).
inline constexpr uint32_t kFvfMeshVertex = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x152
inline constexpr uint32_t kScreenVertexStride = 28;
inline constexpr uint32_t kMeshVertexStride = 36;

// DrawPrimitive flags.
inline constexpr uint32_t D3DDP_WAIT = 1, D3DDP_DONOTCLIP = 4;

// Lock flags (all accepted; a memory buffer never waits).
inline constexpr uint32_t DDLOCK_WAIT = 0x1, DDLOCK_READONLY = 0x10, DDLOCK_WRITEONLY = 0x20,
                          DDLOCK_NOOVERWRITE = 0x1000, DDLOCK_DISCARDCONTENTS = 0x2000;

// Vertex buffer capabilities.
inline constexpr uint32_t D3DVBCAPS_SYSTEMMEMORY = 0x800, D3DVBCAPS_WRITEONLY = 0x10000;

// Red, green, blue, alpha floats, nominally 0..1 (D3DCOLORVALUE).
struct D3DColorValue {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

// The material block (D3DMATERIAL7), in its memory order.
struct D3DMaterial7 {
    D3DColorValue diffuse;
    D3DColorValue ambient;
    D3DColorValue specular;
    D3DColorValue emissive;
    float power = 0.0f;
};
static_assert(sizeof(D3DMaterial7) == 68);

// Vertex buffer description (D3DVERTEXBUFFERDESC): size of the record 16, capabilities, format,
// number of vertices.
struct D3DVertexBufferDesc {
    uint32_t size = 16;
    uint32_t caps = 0;
    uint32_t fvf = 0;
    uint32_t numVertices = 0;
};

}  // namespace cm
