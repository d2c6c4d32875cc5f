#include "app/FrameClock.h"

#include <cmath>
#include <cstdlib>

namespace cm {

namespace {
// floor(a * b / c) for non-negative a and positive b, c without overflow for any frame count
// a recording can reach.
int64_t MulDiv(int64_t a, uint64_t b, uint64_t c) {
    if (a <= 0) return 0;
    const unsigned __int128 p = static_cast<unsigned __int128>(static_cast<uint64_t>(a)) * b;
    return static_cast<int64_t>(p / c);
}

std::optional<uint32_t> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 7) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const unsigned long v = std::strtoul(text.c_str(), nullptr, 10);
    if (v < 1 || v > 1000000) return std::nullopt;
    return static_cast<uint32_t>(v);
}
}  // namespace

std::optional<FrameRate> ParseFrameRate(const std::string& text) {
    const size_t slash = text.find('/');
    const auto num = ParseCount(text.substr(0, slash));
    const auto den = slash == std::string::npos ? std::optional<uint32_t>(1) : ParseCount(text.substr(slash + 1));
    if (!num || !den || *num > uint64_t(*den) * 1000) return std::nullopt;
    return FrameRate{*num, *den};
}

int64_t FrameClock::TicksAt(int64_t frame) const {
    return MulDiv(frame, uint64_t(rate_.den) * 1000, uint64_t(rate_.num) * kTickPeriodMs);
}

int64_t FrameClock::SamplesAt(int64_t frame, uint32_t sampleRate) const {
    return MulDiv(frame, uint64_t(rate_.den) * sampleRate, rate_.num);
}

int64_t FrameClock::FirstFrameAtOrAfter(double seconds) const {
    if (!(seconds > 0.0)) return 0;
    // The smallest n with n * D / N >= seconds; the check below mends the double's rounding
    // when seconds lies exactly on a frame.
    int64_t n = static_cast<int64_t>(std::ceil(seconds * rate_.num / rate_.den));
    if (n > 0 && double(n - 1) * rate_.den / rate_.num >= seconds) --n;
    return n;
}

}  // namespace cm
