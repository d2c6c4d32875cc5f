#include "platform/device/Span.h"

namespace cm {

SpanFunction SelectFastSpan(const SpanSetup& setup, SpanLevel level, SpanLevel* chosen) {
    SpanFunction f = nullptr;
    SpanLevel used = SpanLevel::Plain;
    if (level >= SpanLevel::Avx512 && (f = SelectAvx512Span(setup))) used = SpanLevel::Avx512;
    if (!f && level >= SpanLevel::Avx2 && (f = SelectAvx2Span(setup))) used = SpanLevel::Avx2;
    if (!f && level >= SpanLevel::Simd128 && (f = SelectSimd128Span(setup))) used = SpanLevel::Simd128;
    if (chosen) *chosen = used;
    return f;
}

SpanFunction SelectFastSpan(const SpanSetup& setup) { return SelectFastSpan(setup, SpanLevel::Best); }

}  // namespace cm
