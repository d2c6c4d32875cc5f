// A texture manager that can serve a small image under any name an input could ask for.
//
// The object reader asks for images by the name stored in the file and by that name's file
// part beside the object. Both are suffixes of a NUL-terminated run of bytes in the input, so
// registering every such suffix that ends in an image extension covers every name the reader
// can build, and the textured paths (maps, projections) run for any input.
#pragma once

#include "Harness.h"

namespace cm {
class TextureManager;
}

namespace cm::fuzz {

// Registers a texture (without a device surface) under each candidate image name in data,
// at most kMaxServedNames of them.
void ServeImageNames(Input data, TextureManager& textures);

inline constexpr int kMaxServedNames = 256;

}  // namespace cm::fuzz
