#include "scene/TextureBinding.h"

namespace cm {

// Placeholder until the texture manager's Texture type lands: binds nothing.
TextureSurface* SurfaceOf(const Texture*) { return nullptr; }

}  // namespace cm
