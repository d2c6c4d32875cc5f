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
    std::atomic<bool> killSelf{false};
};

void Record(std::uint32_t id, std::uint32_t, std::uintptr_t user, std::uintptr_t, std::uintptr_t) {
    auto* probe = reinterpret_cast<Probe*>(user);
    probe->lastId = id;
    ++probe->calls;
    if (probe->killSelf) TimerKillEvent(id);
}

// Generous limit for loaded machines; the timer's speed is not what is tested.
bool WaitForCalls(const Probe& probe, int n) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (probe.calls < n && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return probe.calls >= n;
}

TEST(PeriodicTimer, CallsBackWithItsIdUntilKilledAndNeverAfter) {
    Probe probe;
    const std::uint32_t id = TimerSetEvent(2, 1, Record, reinterpret_cast<std::uintptr_t>(&probe), kTimePeriodic);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitForCalls(probe, 3));
    EXPECT_EQ(probe.lastId, id);
    ASSERT_TRUE(TimerKillEvent(id));
    const int after = probe.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls, after);
    EXPECT_FALSE(TimerKillEvent(id));
}

TEST(PeriodicTimer, KillFromItsOwnCallbackDoesNotHang) {
    Probe probe;
    probe.killSelf = true;
    const std::uint32_t id = TimerSetEvent(1, 1, Record, reinterpret_cast<std::uintptr_t>(&probe), kTimePeriodic);
    ASSERT_TRUE(WaitForCalls(probe, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(probe.calls, 1);
    EXPECT_FALSE(TimerKillEvent(id));
}

TEST(PeriodicTimer, RefusesBadArgumentsWithIdZero) {
    Probe probe;
    const auto user = reinterpret_cast<std::uintptr_t>(&probe);
    EXPECT_EQ(TimerSetEvent(0, 1, Record, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(kTimerMaxDelayMs + 1, 1, Record, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(10, 1, nullptr, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(10, 1, Record, user, 7), 0u);
    EXPECT_FALSE(TimerKillEvent(0));
}

}  // namespace
}  // namespace cm
