#include "app/DemoClock.h"

#include "platform/timer/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace cm {
namespace {

// Time is owned by the test: each call is one timer period.
void TickN(DemoClock& clock, int n) {
    for (int i = 0; i < n; ++i)
        DemoClock::Tick(clock.GetTimerId(), 0, reinterpret_cast<std::uintptr_t>(&clock), 0, 0);
}

float SumOfTicks(int n) {
    float t = 0.0f;
    for (int i = 0; i < n; ++i) t += DemoClock::kTickStep;
    return t;
}

TEST(DemoClockTime, FrameDeltaFollowsTicksAndIsZeroForFramesShorterThanATick) {
    DemoClock clock;
    TickN(clock, 2);
    clock.Update();
    EXPECT_EQ(clock.GetFrameDelta(), SumOfTicks(2));
    EXPECT_FLOAT_EQ(clock.GetFrameDelta(), 0.2f);

    clock.Update();  // no tick since the last frame
    EXPECT_EQ(clock.GetFrameDelta(), 0.0f);

    // The previous time stayed at the last advancing frame, so one tick gives exactly one step.
    TickN(clock, 1);
    clock.Update();
    EXPECT_EQ(clock.GetFrameDelta(), SumOfTicks(3) - SumOfTicks(2));
    EXPECT_EQ(clock.GetTime(), SumOfTicks(3));
}

TEST(DemoClockTime, StaleTimerIdOrMissingClockChangesNothing) {
    DemoClock clock;
    DemoClock::Tick(clock.GetTimerId() + 1, 0, reinterpret_cast<std::uintptr_t>(&clock), 0, 0);
    DemoClock::Tick(clock.GetTimerId(), 0, 0, 0, 0);
    clock.Update();
    EXPECT_EQ(clock.GetTime(), 0.0f);
    EXPECT_EQ(clock.GetFrameDelta(), 0.0f);
}

TEST(DemoClockTime, PeriodIsThousandOverRateTruncated) {
    EXPECT_EQ(DemoClock::TickPeriodMs(70.0f), 14u);
    EXPECT_EQ(DemoClock::TickPeriodMs(60.0f), 16u);
    EXPECT_EQ(DemoClock::TickPeriodMs(1000.0f), 1u);
    EXPECT_EQ(DemoClock::TickPeriodMs(0.5f), 2000u);
    // Rates no timer can serve, including ones whose period would overflow the conversion.
    for (float bad : {0.0f, -70.0f, 1001.0f, 1e-9f, std::numeric_limits<float>::infinity(),
                      std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(DemoClock::TickPeriodMs(bad), 0u) << bad;
}

TEST(DemoClockTimer, StartRunsTheTimerAndDestructionKillsIt) {
    std::uint32_t id = 0;
    {
        DemoClock clock;
        ASSERT_TRUE(clock.Start(1000.0f));
        id = clock.GetTimerId();
        EXPECT_NE(id, 0u);
        EXPECT_EQ(clock.GetRate(), 1000.0f);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (clock.GetTime() < 0.25f && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_GE(clock.GetTime(), 0.25f);
    }
    EXPECT_FALSE(TimerKillEvent(id)) << "the clock's destructor must have killed its timer";
}

TEST(DemoClockTimer, FailedStartLeavesTheClockStill) {
    DemoClock clock;
    EXPECT_FALSE(clock.Start(0.0f));
    EXPECT_EQ(clock.GetTimerId(), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    clock.Update();
    EXPECT_EQ(clock.GetTime(), 0.0f);
    EXPECT_EQ(clock.GetFrameDelta(), 0.0f);
}

TEST(DemoClockTimer, SecondStartReplacesTheFirstTimer) {
    DemoClock clock;
    ASSERT_TRUE(clock.Start(50.0f));
    const std::uint32_t first = clock.GetTimerId();
    ASSERT_TRUE(clock.Start(50.0f));
    EXPECT_NE(clock.GetTimerId(), first);
    EXPECT_FALSE(TimerKillEvent(first));
}

// Records which events fired and at what running time.
struct Log {
    std::vector<std::string> names;
    std::vector<float> times;
    TimedEvent::Callback Note(const DemoClock& clock, std::string name) {
        return [this, &clock, name] {
            names.push_back(name);
            times.push_back(clock.GetTime());
        };
    }
};

TEST(DemoClockEvents, PassedDuringAStallFiresOnceLateWithTheCurrentTime) {
    DemoClock clock;
    Log log;
    ASSERT_TRUE(clock.AddEvent(std::make_unique<TimedEvent>(1.0f, 1.0f, log.Note(clock, "flash"))));
    TickN(clock, 9);
    clock.Update();
    EXPECT_TRUE(log.names.empty());
    TickN(clock, 6);  // the stall passes 1.0 without a frame
    clock.Update();
    ASSERT_EQ(log.names.size(), 1u);
    EXPECT_EQ(log.times[0], SumOfTicks(15));
    TickN(clock, 1);
    clock.Update();
    EXPECT_EQ(log.names.size(), 1u);
    EXPECT_TRUE(clock.GetEvent(0)->IsDone());
}

TEST(DemoClockEvents, SeveralDueInOneFrameFireInTableOrder) {
    DemoClock clock;
    Log log;
    clock.AddEvent(std::make_unique<TimedEvent>(0.3f, 0.3f, log.Note(clock, "c")));
    clock.AddEvent(std::make_unique<TimedEvent>(0.1f, 0.1f, log.Note(clock, "a")));
    clock.AddEvent(std::make_unique<TimedEvent>(0.2f, 0.2f, log.Note(clock, "b")));
    clock.AddEvent(std::make_unique<TimedEvent>(9.0f, 9.0f, log.Note(clock, "later")));
    TickN(clock, 5);
    clock.Update();
    EXPECT_EQ(log.names, (std::vector<std::string>{"c", "a", "b"}));
}

TEST(DemoClockEvents, WindowFiresEveryFrameUpToTheFirstAtOrAfterItsEnd) {
    DemoClock clock;
    Log log;
    clock.AddEvent(std::make_unique<TimedEvent>(0.2f, 0.4f, log.Note(clock, "w")));
    for (int frame = 0; frame < 8; ++frame) {
        TickN(clock, 1);
        clock.Update();
    }
    // Frames at 0.2, 0.3 and the one at or after 0.4 (float sums of 0.1 land near, not on, 0.4).
    ASSERT_GE(log.times.size(), 2u);
    EXPECT_LE(log.times.size(), 3u);
    EXPECT_EQ(log.times.front(), SumOfTicks(2));
    EXPECT_GE(log.times.back(), 0.4f);
    EXPECT_LT(log.times.back(), 0.4f + DemoClock::kTickStep);
}

TEST(DemoClockEvents, ResetRearmsFiredEventsAndZeroesTime) {
    DemoClock clock;
    Log log;
    clock.AddEvent(std::make_unique<TimedEvent>(0.5f, 0.5f, log.Note(clock, "x")));
    clock.AddEvent(std::make_unique<TimedEvent>(0.0f, 0.0f, nullptr));  // a callback may be absent
    TickN(clock, 6);
    clock.Update();
    ASSERT_EQ(log.names.size(), 1u);

    clock.Reset();
    EXPECT_EQ(clock.GetTime(), 0.0f);
    EXPECT_EQ(clock.GetFrameDelta(), 0.0f);
    EXPECT_FALSE(clock.GetEvent(0)->IsDone());
    EXPECT_FALSE(clock.GetEvent(1)->IsDone());
    TickN(clock, 4);
    clock.Update();
    EXPECT_EQ(log.names.size(), 1u);
    EXPECT_EQ(clock.GetFrameDelta(), SumOfTicks(4)) << "previous time was zeroed as well";
    TickN(clock, 2);
    clock.Update();
    EXPECT_EQ(log.names.size(), 2u);
}

TEST(DemoClockEvents, TableRefusesNullAndMayGrowFromInsideACallback) {
    DemoClock clock;
    EXPECT_FALSE(clock.AddEvent(nullptr));
    EXPECT_EQ(clock.GetEventCount(), 0);

    int inner = 0;
    clock.AddEvent(std::make_unique<TimedEvent>(0.0f, 0.0f, [&] {
        for (int i = 0; i < 16; ++i)
            clock.AddEvent(std::make_unique<TimedEvent>(0.0f, 0.0f, [&] { ++inner; }));
    }));
    clock.Update();
    EXPECT_EQ(clock.GetEventCount(), 17);
    EXPECT_EQ(inner, 16) << "events added during an update are checked in that same update";
}

}  // namespace
}  // namespace cm
