// PNG files of icons through libpng: 8-bit RGBA, no time stamp or other varying chunk, so the
// same pixels always give the same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "icons/Icon.h"

namespace cm::content {

// Throws std::runtime_error when libpng fails.
std::vector<uint8_t> EncodePng(const IconImage& icon);

}  // namespace cm::content
