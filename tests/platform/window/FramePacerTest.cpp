#include "platform/window/FramePacer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cm {
namespace {

using namespace std::chrono_literals;
using Clock = FramePacer::Clock;

// Presents `frames` frames, each drawn in `draw` and presented in `present`, sleeping what the
// pacer asks; returns the time they took.
Clock::duration PresentFrames(FramePacer& pacer, Clock::time_point& now, int frames, Clock::duration draw,
                    Clock::duration present) {
    const Clock::time_point start = now;
    for (int i = 0; i < frames; ++i) {
        now += draw;
        now += pacer.WaitBefore(now);
        now += present;
        pacer.Presented(now);
    }
    return now - start;
}

TEST(FramePacer, TrustsAPresentThatWaitsAndPacesOneThatDoesNot) {
    Clock::time_point now{};
    FramePacer waits(60.0);
    // The present blocks to the next refresh: the pacer never adds to it.
    const Clock::duration period = waits.GetPeriod();
    EXPECT_EQ(PresentFrames(waits, now, 120, 3ms, period - 3ms), 120 * period);
    EXPECT_FALSE(waits.IsPacing());

    FramePacer fast(144.0);
    const Clock::duration quick = PresentFrames(fast, now, 9, 1ms, 1ms);
    EXPECT_TRUE(fast.IsPacing()) << "eight quick intervals in a row";
    EXPECT_EQ(quick, 18ms);
    // From then on one period per frame on average, however long each sleep overshoots.
    const Clock::duration paced = PresentFrames(fast, now, 144, 1ms, 1ms);
    EXPECT_NEAR(std::chrono::duration<double>(paced).count(), 1.0, 0.01);
}

TEST(FramePacer, ALateFrameRestartsTheScheduleAndUnknownRatesAreSixty) {
    FramePacer pacer(0.0);
    EXPECT_EQ(pacer.GetPeriod(), FramePacer(60.0).GetPeriod());
    for (double bad : {-5.0, std::nan(""), 0.5}) EXPECT_EQ(FramePacer(bad).GetPeriod(), pacer.GetPeriod()) << bad;
    Clock::time_point now{};
    PresentFrames(pacer, now, 9, 1ms, 0ms);
    ASSERT_TRUE(pacer.IsPacing());
    // A frame that took half a second is not followed by a burst that catches up.
    now += 500ms;
    EXPECT_EQ(pacer.WaitBefore(now), Clock::duration::zero());
    pacer.Presented(now);
    EXPECT_EQ(pacer.WaitBefore(now + 1ms), pacer.GetPeriod() - 1ms);
}

}  // namespace
}  // namespace cm
