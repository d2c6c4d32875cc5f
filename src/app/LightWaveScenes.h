// The show's scene files are LightWave scenes: this binds the parts' scene reader to the
// LightWave scene reader.
#pragma once

#include "parts/PartResources.h"

#include <memory>

namespace cm {

std::unique_ptr<SceneGraph> ReadLightWaveScene(const char* name, TextureManager& textures);

}  // namespace cm
