#include "app/LightWaveScenes.h"

#include "lightwave/LwsReader.h"
#include "scene/SceneGraph.h"

namespace cm {

std::unique_ptr<SceneGraph> ReadLightWaveScene(const char* name, TextureManager& textures) {
    LwsReader reader;
    return reader.Load(name, &textures);
}

}  // namespace cm
