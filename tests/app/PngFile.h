// Writes a frame of X8R8G8B8 pixels (blue in the low byte) as an 8-bit RGB PNG, so a person can
// look at what the show drew. Returns false when the file cannot be written.
#pragma once

#include <cstdint>
#include <string>

namespace cm::test {

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

}  // namespace cm::test
