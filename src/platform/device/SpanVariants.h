// The state combinations the vector span loops are specialised for, and their table index.
#pragma once

#include "platform/device/D3DTypes.h"
#include "platform/device/Span.h"

namespace cm {

// tex (3) x blend (opaque, add) x fog x depth test x depth write x flat colour.
inline constexpr int kSpanVariants = 3 * 2 * 2 * 2 * 2 * 2;

constexpr int SpanVariant(TexMode tex, BlendMode blend, bool fog, bool zTest, bool zWrite, bool flat) {
    return ((((static_cast<int>(tex) * 2 + static_cast<int>(blend)) * 2 + fog) * 2 + zTest) * 2 + zWrite) * 2 + flat;
}

// Whether a vector loop exists for the setup: plain blending, LESSEQUAL, and stage 0 as the
// show uses it (modulate with a texture, the diffuse colour without).
inline bool FastSpanCovers(const SpanSetup& s) {
    if (s.blend == BlendMode::Generic) return false;
    if (s.zTest && s.zFunc != D3DCMP_LESSEQUAL) return false;
    return s.tex == TexMode::None ? s.combine == CombineMode::Diffuse : s.combine == CombineMode::Modulate;
}

// Whether the setup filters a texture bilinearly in a triangle where q and vq do not change
// along x (a quad drawn flat to the screen): v is then the same all along a row, and the
// vector loops have versions that work out its texel rows once per row.
inline bool ScreenAligned(const SpanSetup& s) { return s.tex == TexMode::Bilinear && s.dq == 0.0f && s.dvq == 0.0f; }

}  // namespace cm
