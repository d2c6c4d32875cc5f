// Paces presentation to the display's refresh where the driver does not: a virtual display or a
// software renderer returns from a vertical-sync present at once, and the show would then draw
// hundreds of frames a second for a screen that shows sixty.
//
// While presents are seen to wait for the refresh by themselves (eight in a row averaging at
// least three quarters of a refresh period), the pacer adds no wait, so it never costs a refresh.
// Once they come faster it paces from then on: each frame is let through one period after the
// previous one, on a fixed schedule so that sleeping late does not slow the average, and a frame
// that is more than a period late starts the schedule afresh instead of hurrying the next ones.
#pragma once

#include <chrono>
#include <optional>

namespace cm {

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // refreshHz: the display mode's rate; 0, negative or not finite (unknown) means 60 Hz.
    explicit FramePacer(double refreshHz = 0.0);
    void SetRefreshRate(double refreshHz);
    Clock::duration GetPeriod() const { return period_; }

    // How long to wait before presenting at now; zero while not pacing.
    Clock::duration WaitBefore(Clock::time_point now);
    // After each present, with the time it returned.
    void Presented(Clock::time_point now);
    bool IsPacing() const { return pacing_; }

private:
    static constexpr int kWindow = 8;

    Clock::duration period_{};
    bool pacing_ = false;
    Clock::time_point letThrough_{};  // while pacing: the schedule time of the last frame
    std::optional<Clock::time_point> lastPresent_;
    Clock::duration windowSum_{};
    int windowCount_ = 0;
};

}  // namespace cm
