#include "platform/device/Span.h"

namespace cm {

SpanFunction SelectAvx2Span(const SpanSetup& setup);
SpanFunction SelectAvx512Span(const SpanSetup& setup);

SpanFunction SelectFastSpan(const SpanSetup& setup, SpanLevel level) {
    SpanFunction f = nullptr;
    if (level >= SpanLevel::Avx512) f = SelectAvx512Span(setup);
    if (!f && level >= SpanLevel::Avx2) f = SelectAvx2Span(setup);
    return f;
}

SpanFunction SelectFastSpan(const SpanSetup& setup) { return SelectFastSpan(setup, SpanLevel::Best); }

}  // namespace cm
