#include "app/DemoClock.h"

#include "platform/timer/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <thread>
#include <vector>

namespace cm {
namespace {

// The test owns time: each call is one timer period.
void TickN(DemoClock& clock, int n) {
    for (int i = 0; i < n; ++i) DemoClock::Tick(clock.GetTimerId(), 0, reinterpret_cast<std::uintptr_t>(&clock), 0, 0);
}

float SumOfTicks(int n) {
    float t = 0.0f;
    for (int i = 0; i < n; ++i) t += DemoClock::kTickStep;
    return t;
}

TEST(DemoClock, FrameDeltaFollowsTicksAndIgnoresStaleTimerIds) {
    DemoClock clock;
    TickN(clock, 2);
    clock.Update();
    EXPECT_FLOAT_EQ(clock.GetFrameDelta(), 0.2f);
    clock.Update();  // a frame shorter than a tick
    EXPECT_EQ(clock.GetFrameDelta(), 0.0f);
    DemoClock::Tick(clock.GetTimerId() + 1, 0, reinterpret_cast<std::uintptr_t>(&clock), 0, 0);
    DemoClock::Tick(clock.GetTimerId(), 0, 0, 0, 0);
    TickN(clock, 1);
    clock.Update();
    EXPECT_EQ(clock.GetFrameDelta(), SumOfTicks(3) - SumOfTicks(2)) << "previous time kept; stale ticks ignored";
    EXPECT_EQ(clock.GetTime(), SumOfTicks(3));
}

TEST(DemoClock, PeriodIsThousandOverRateTruncatedImpossibleRatesFailStartAndTheTimerRunsTime) {
    for (const auto& [rate, ms] : {std::pair{70.0f, 14u}, {60.0f, 16u}, {1000.0f, 1u}})
        EXPECT_EQ(DemoClock::TickPeriodMs(rate), ms) << rate;
    for (float bad : {0.0f, -70.0f, 1001.0f, 1e-9f, std::numeric_limits<float>::infinity(),
                      std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(DemoClock::TickPeriodMs(bad), 0u) << bad;

    // Started, the timer thread advances time until the clock is destroyed.
    std::uint32_t first = 0, second = 0;
    {
        DemoClock clock;
        EXPECT_FALSE(clock.Start(0.0f));
        EXPECT_EQ(clock.GetTimerId(), 0u);
        ASSERT_TRUE(clock.Start(1000.0f));
        first = clock.GetTimerId();
        ASSERT_TRUE(clock.Start(1000.0f));  // a restart replaces the timer
        second = clock.GetTimerId();
        EXPECT_FALSE(TimerKillEvent(first));
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (clock.GetTime() < 0.25f && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_GE(clock.GetTime(), 0.25f);
    }
    EXPECT_NE(second, 0u);
    EXPECT_FALSE(TimerKillEvent(second)) << "the destructor must have killed the timer";
}

struct Fired {
    std::vector<int> ids;
    std::vector<float> times;
};

std::unique_ptr<TimedEvent> Event(float start, float end, int id, Fired& fired, const DemoClock& clock) {
    return std::make_unique<TimedEvent>(start, end, [id, &fired, &clock] {
        fired.ids.push_back(id);
        fired.times.push_back(clock.GetTime());
    });
}

// That an event fires only once is the show timeline's test.
TEST(DemoClockEvents, FireLateInTableOrderWithTheTimeOfTheirFrame) {
    DemoClock clock;
    Fired fired;
    clock.AddEvent(Event(1.0f, 1.0f, 3, fired, clock));
    clock.AddEvent(Event(0.5f, 0.5f, 1, fired, clock));
    clock.AddEvent(Event(9.0f, 9.0f, 9, fired, clock));
    clock.AddEvent(Event(SumOfTicks(15), SumOfTicks(15), 15, fired, clock));  // reached exactly
    EXPECT_FALSE(clock.AddEvent(nullptr));
    TickN(clock, 15);  // a stall passes 0.5, 1.0 and 1.5 without a frame
    clock.Update();
    EXPECT_EQ(fired.ids, (std::vector<int>{3, 1, 15}));
    EXPECT_EQ(fired.times[0], SumOfTicks(15)) << "fired late with the current time, not skipped";

    // A frame's events see the time of its delta: a tick arriving while they are checked belongs
    // to the next frame.
    DemoClock ticking;
    Fired next;
    ticking.AddEvent(std::make_unique<TimedEvent>(0.1f, 0.1f, [&] { TickN(ticking, 1); }));
    ticking.AddEvent(Event(SumOfTicks(2), SumOfTicks(2), 2, next, ticking));
    TickN(ticking, 1);
    ticking.Update();
    EXPECT_TRUE(next.ids.empty());
    ticking.Update();
    EXPECT_EQ(next.ids, std::vector<int>{2});
    EXPECT_EQ(ticking.GetFrameDelta(), SumOfTicks(2) - SumOfTicks(1));
}

TEST(DemoClockEvents, ResetRearmsFiredEventsZeroesTimeAndEndsTheFramesChecks) {
    DemoClock resetting;
    Fired after;
    resetting.AddEvent(std::make_unique<TimedEvent>(0.1f, 0.1f, [&] { resetting.Reset(); }));
    resetting.AddEvent(Event(0.1f, 0.1f, 1, after, resetting));
    TickN(resetting, 1);
    resetting.Update();
    EXPECT_TRUE(after.ids.empty()) << "checked with the time from before the reset";

    DemoClock clock;
    Fired fired;
    clock.AddEvent(Event(0.5f, 0.5f, 0, fired, clock));
    clock.AddEvent(std::make_unique<TimedEvent>(0.0f, 0.0f, nullptr));
    TickN(clock, 6);
    clock.Update();
    ASSERT_EQ(fired.ids.size(), 1u);
    clock.Reset();
    EXPECT_EQ(clock.GetTime(), 0.0f);
    EXPECT_FALSE(clock.GetEvent(1)->IsDone());
    TickN(clock, 4);
    clock.Update();
    EXPECT_EQ(fired.ids.size(), 1u);
    EXPECT_EQ(clock.GetFrameDelta(), SumOfTicks(4)) << "previous time was zeroed as well";
    TickN(clock, 2);
    clock.Update();
    EXPECT_EQ(fired.ids.size(), 2u);
}

}  // namespace
}  // namespace cm
