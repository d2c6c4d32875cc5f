#include "platform/timer/PeriodicTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace cm {
namespace {

struct Probe {
    std::atomic<int> calls{0};
    std::atomic<std::uint32_t> lastId{0};
};

// Slower than the period, so a kill nearly always lands while a call is in flight: the kill must
// wait for it rather than return while it still runs.
void Record(std::uint32_t id, std::uint32_t, std::uintptr_t user, std::uintptr_t, std::uintptr_t) {
    auto* probe = reinterpret_cast<Probe*>(user);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    probe->lastId = id;
    ++probe->calls;
}

TEST(PeriodicTimer, CallsBackWithItsIdUntilKilledAndRefusesBadArguments) {
    Probe probe;
    const auto user = reinterpret_cast<std::uintptr_t>(&probe);
    const std::uint32_t id = TimerSetEvent(2, 1, Record, user, kTimePeriodic);
    ASSERT_NE(id, 0u);
    // A generous limit for loaded machines; the timer's speed is not what is tested.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (probe.calls < 3 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(probe.calls, 3);
    EXPECT_EQ(probe.lastId, id);
    ASSERT_TRUE(TimerKillEvent(id));
    const int after = probe.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls, after) << "no call after the kill returned";
    EXPECT_FALSE(TimerKillEvent(id));

    EXPECT_EQ(TimerSetEvent(0, 1, Record, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(kTimerMaxDelayMs + 1, 1, Record, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(10, 1, nullptr, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(10, 1, Record, user, 7), 0u);
    EXPECT_EQ(probe.calls, after);
}

}  // namespace
}  // namespace cm
