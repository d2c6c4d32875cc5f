// Number parsing for data text, independent of the process locale: a dialog toolkit may switch
// LC_NUMERIC to a locale whose decimal mark is a comma, and "0.5" must still read as one half.
#pragma once

#include <cstdint>

namespace cm {

// Like atoi: optional leading white space and sign, then decimal digits up to the first other
// character; 0 when there are none. Values beyond 32 bits saturate instead of wrapping.
std::int32_t AsciiToInt(const char* text);

// Like atof in the "C" locale but decimal only: optional white space and sign, digits with an
// optional point, an optional exponent, rounded once to a 32-bit float. Reading stops at the
// first other character, so "0x10" reads 0 and "inf", "nan" or any word read 0: a damaged file
// cannot bring NaN into the data this way. Decimal values beyond the float range still become
// infinite.
float AsciiToFloat(const char* text);

}  // namespace cm
