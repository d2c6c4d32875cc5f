// Number parsing for data text, independent of the process locale: a dialog toolkit may switch
// LC_NUMERIC to a locale whose decimal mark is a comma, and "0.5" must still read as one half.
#pragma once

#include <cstdint>

namespace cm {

// Like atoi: optional leading white space and sign, then decimal digits up to the first other
// character; 0 when there are none. Values beyond 32 bits saturate instead of wrapping.
std::int32_t AsciiToInt(const char* text);

// Like atof in the "C" locale (decimal or hexadecimal, exponent, inf and nan), rounded to a
// 32-bit float; 0 for text that holds no number. Values beyond the float range become infinite.
float AsciiToFloat(const char* text);

}  // namespace cm
