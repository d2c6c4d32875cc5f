#include "platform/window/FramePacer.h"

#include <cmath>

namespace cm {

FramePacer::FramePacer(double refreshHz) { SetRefreshRate(refreshHz); }

void FramePacer::SetRefreshRate(double refreshHz) {
    // Rates below 1 Hz are no display's; they are treated as unknown too.
    const double hz = std::isfinite(refreshHz) && refreshHz >= 1.0 ? refreshHz : 60.0;
    period_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hz));
}

FramePacer::Clock::duration FramePacer::WaitBefore(Clock::time_point now) {
    if (!pacing_) return Clock::duration::zero();
    const Clock::time_point next = letThrough_ + period_;
    if (now < next) {
        letThrough_ = next;
        return next - now;
    }
    letThrough_ = now - next > period_ ? now : next;
    return Clock::duration::zero();
}

void FramePacer::Presented(Clock::time_point now) {
    if (lastPresent_ && !pacing_) {
        windowSum_ += now - *lastPresent_;
        if (++windowCount_ == kWindow) {
            if (windowSum_ * 4 < period_ * (3 * kWindow)) {
                pacing_ = true;
                letThrough_ = now;
            }
            windowSum_ = Clock::duration::zero();
            windowCount_ = 0;
        }
    }
    lastPresent_ = now;
}

}  // namespace cm
