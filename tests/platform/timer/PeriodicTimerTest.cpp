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
    std::atomic<std::uint32_t> lastMsg{99};
    std::atomic<bool> killSelf{false};
};

void Record(std::uint32_t id, std::uint32_t msg, std::uintptr_t user, std::uintptr_t, std::uintptr_t) {
    auto* probe = reinterpret_cast<Probe*>(user);
    probe->lastId = id;
    probe->lastMsg = msg;
    ++probe->calls;
    if (probe->killSelf) TimerKillEvent(id);
}

// Waits (up to a generous limit, for loaded machines) until the probe saw at least n calls.
bool WaitForCalls(const Probe& probe, int n) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (probe.calls < n) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(PeriodicTimer, CallsBackRepeatedlyWithItsIdAndUserValueUntilKilled) {
    Probe probe;
    const std::uint32_t id = TimerSetEvent(2, 1, Record, reinterpret_cast<std::uintptr_t>(&probe), kTimePeriodic);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitForCalls(probe, 3));
    EXPECT_EQ(probe.lastId, id);
    EXPECT_EQ(probe.lastMsg, 0u);

    ASSERT_TRUE(TimerKillEvent(id));
    // Kill returns only once the callback has stopped for good.
    const int after = probe.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(probe.calls, after);
    EXPECT_FALSE(TimerKillEvent(id)) << "an id is live only once";
}

TEST(PeriodicTimer, OneShotFiresOnce) {
    Probe probe;
    const std::uint32_t id = TimerSetEvent(1, 1, Record, reinterpret_cast<std::uintptr_t>(&probe), kTimeOneShot);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitForCalls(probe, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(probe.calls, 1);
    EXPECT_TRUE(TimerKillEvent(id));
}

TEST(PeriodicTimer, KillFromItsOwnCallbackDoesNotHang) {
    Probe probe;
    probe.killSelf = true;
    const std::uint32_t id = TimerSetEvent(1, 1, Record, reinterpret_cast<std::uintptr_t>(&probe), kTimePeriodic);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitForCalls(probe, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(probe.calls, 1);
    EXPECT_FALSE(TimerKillEvent(id));
}

TEST(PeriodicTimer, RefusesWhatTheMultimediaTimerRefusesWithIdZero) {
    Probe probe;
    const auto user = reinterpret_cast<std::uintptr_t>(&probe);
    EXPECT_EQ(TimerSetEvent(0, 1, Record, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(kTimerMaxDelayMs + 1, 1, Record, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(10, 1, nullptr, user, kTimePeriodic), 0u);
    EXPECT_EQ(TimerSetEvent(10, 1, Record, user, 7), 0u);
    EXPECT_FALSE(TimerKillEvent(0));
    EXPECT_FALSE(TimerKillEvent(0xdeadbeef));
    EXPECT_EQ(probe.calls, 0);
}

TEST(PeriodicTimer, LiveTimersHaveDistinctNonZeroIds) {
    Probe a, b;
    const std::uint32_t idA = TimerSetEvent(1000, 1, Record, reinterpret_cast<std::uintptr_t>(&a), kTimePeriodic);
    const std::uint32_t idB = TimerSetEvent(1000, 1, Record, reinterpret_cast<std::uintptr_t>(&b), kTimePeriodic);
    EXPECT_NE(idA, 0u);
    EXPECT_NE(idB, 0u);
    EXPECT_NE(idA, idB);
    // Killing one leaves the other live; a long period must not delay the kill.
    EXPECT_TRUE(TimerKillEvent(idA));
    EXPECT_TRUE(TimerKillEvent(idB));
}

}  // namespace
}  // namespace cm
