// The show's scene files are LightWave scenes: this binds the parts' scene reader to the
// LightWave scene reader.
#pragma once

#include "parts/PartResources.h"

namespace cm {

SceneGraph* ReadLightWaveScene(const char* name, TextureManager& textures);

}  // namespace cm
