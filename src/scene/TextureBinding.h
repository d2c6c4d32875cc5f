// The device surface behind a loaded texture: the one place where the scene layer looks inside
// the texture manager's Texture. Null for a null texture or one without a surface.
#pragma once

namespace cm {

class Texture;
class TextureSurface;

TextureSurface* SurfaceOf(const Texture* texture);

}  // namespace cm
