// Vertex fog as the fogged parts set it: linear in eye-space depth from the device's default
// start to end, towards colour (packed ARGB). The start is never set by the show.
#pragma once

#include <cstdint>

namespace cm {

void EnableLinearFog(float end, uint32_t color);
void DisableFog();

}  // namespace cm
