// Frame, tick and sample arithmetic of a run at a fixed, rational frame rate: the recorder's
// runs, and the frame steps a seek simulates (ShowSeek.h).
//
// The show's clock ticks every 14 ms, 1000 / 14 ticks a second. Frame n starts at n * D / N
// seconds, so by then floor(n * D * 1000 / (N * 14)) ticks have passed; each frame adds the
// difference to the next frame's count. Everything is exact integer arithmetic on totals since
// frame 0, so no remainder is lost however long the recording (no drift).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cm {

struct FrameRate {
    uint32_t num = 60;
    uint32_t den = 1;
};

// "N" or "N/D" with 1 <= N, D <= 1000000 and N / D at most 1000 frames a second.
std::optional<FrameRate> ParseFrameRate(const std::string& text);

class FrameClock {
public:
    static constexpr uint32_t kTickPeriodMs = 14;

    explicit FrameClock(FrameRate rate) : rate_(rate) {}

    // Ticks that have passed when frame n starts.
    int64_t TicksAt(int64_t frame) const;
    // Ticks to add after frame n is shown so that frame n + 1 sees its own time.
    int64_t TicksAfter(int64_t frame) const { return TicksAt(frame + 1) - TicksAt(frame); }
    // Audio sample frames at sampleRate that have passed when frame n starts.
    int64_t SamplesAt(int64_t frame, uint32_t sampleRate) const;
    // The first frame that starts at or after `seconds` (negative times give frame 0).
    int64_t FirstFrameAtOrAfter(double seconds) const;
    // Show time of frame n in seconds (for messages and names only).
    double SecondsAt(int64_t frame) const { return double(frame) * rate_.den / rate_.num; }

    FrameRate Rate() const { return rate_; }

private:
    FrameRate rate_;
};

}  // namespace cm
