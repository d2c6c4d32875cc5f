#include "scene/TextureMap.h"

namespace cm {

bool TextureMap::AttachTexture(Texture* t) {
    if (t == nullptr) return false;
    texture = t;
    return true;
}

bool TextureMap::SetName(const char* n) {
    if (n == nullptr) return false;
    name = n;
    return true;
}

}  // namespace cm
