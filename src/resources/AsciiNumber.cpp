#include "resources/AsciiNumber.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <stdlib.h>

namespace cm {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

std::int32_t AsciiToInt(const char* text) {
    if (text == nullptr) return 0;
    while (IsSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    // Accumulated as a magnitude in 64 bits and clamped once it leaves the 32-bit range.
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

float AsciiToFloat(const char* text) {
    if (text == nullptr) return 0.0f;
    const locale_t c = CLocale();
    const double value = c != static_cast<locale_t>(nullptr) ? strtod_l(text, nullptr, c) : 0.0;
    // Rounding to float overflows at FLT_MAX plus half an ulp; the conversion itself is undefined
    // there, so the infinities are produced by hand.
    const double overflow = std::ldexp(2.0 - std::ldexp(1.0, -24), 127);
    if (value >= overflow) return std::numeric_limits<float>::infinity();
    if (value <= -overflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace cm
