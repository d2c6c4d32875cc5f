#include "resources/AsciiNumber.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
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

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the decimal number at the start of text (after white space): sign, digits with at
// most one point and at least one digit, then an exponent only when digits follow its 'e'.
// 0 when there is none.
std::size_t DecimalLength(const char* text) {
    std::size_t n = 0;
    while (IsSpace(text[n])) ++n;
    if (text[n] == '+' || text[n] == '-') ++n;
    std::size_t digits = 0;
    for (; IsDigit(text[n]); ++n) ++digits;
    if (text[n] == '.') {
        for (++n; IsDigit(text[n]); ++n) ++digits;
    }
    if (digits == 0) return 0;
    std::size_t e = n;
    if (text[e] == 'e' || text[e] == 'E') {
        ++e;
        if (text[e] == '+' || text[e] == '-') ++e;
        if (IsDigit(text[e])) {
            while (IsDigit(text[e])) ++e;
            n = e;
        }
    }
    return n;
}

}  // namespace

float AsciiToFloat(const char* text) {
    if (text == nullptr) return 0.0f;
    const std::size_t length = DecimalLength(text);
    const locale_t c = CLocale();
    if (length == 0 || c == static_cast<locale_t>(nullptr)) return 0.0f;
    // Only the decimal prefix reaches strtod, which would otherwise also read "inf", "nan" and
    // hexadecimal; it still does the correctly rounded conversion.
    const std::string number(text, length);
    const double value = strtod_l(number.c_str(), nullptr, c);
    // Rounding to float overflows at FLT_MAX plus half an ulp; the conversion itself is undefined
    // there, so the infinities are produced by hand.
    const double overflow = std::ldexp(2.0 - std::ldexp(1.0, -24), 127);
    if (value >= overflow) return std::numeric_limits<float>::infinity();
    if (value <= -overflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace cm
