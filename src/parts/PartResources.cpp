#include "parts/PartResources.h"

#include "scene/SceneGraph.h"

namespace cm {

std::unique_ptr<SceneGraph> PartResources::ReadScene(const char* name) const {
    if (!readScene || textures == nullptr) return nullptr;
    return readScene(name, *textures);
}

}  // namespace cm
