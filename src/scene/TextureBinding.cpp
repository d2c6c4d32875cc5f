#include "scene/TextureBinding.h"

#include "resources/Texture.h"

namespace cm {

TextureSurface* SurfaceOf(const Texture* texture) { return texture != nullptr ? texture->GetSurface() : nullptr; }

}  // namespace cm
