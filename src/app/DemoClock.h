// The show's only time base.
//
// A periodic timer thread calls Tick, which adds 0.1 clock units to the running time; once per
// displayed frame the main loop calls Update, which turns the running time into the frame delta
// and fires the timed events that have come due. At the show's rate of 70 the period is
// 1000 / 70 = 14 ms truncated, so the clock advances about 7.14 units a second.
//
// Threads: Tick runs on the timer thread and is the only writer of the running time after Start;
// everything else runs on the main thread. The running time is an atomic float, so Update always
// sees whole values and a Reset is never undone by a tick that was in flight.
//
// Tests and the recorder own time instead of the timer: they call Tick themselves with the id
// GetTimerId() returns (0 when Start was never called).
#pragma once

#include "app/TimedEvent.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace cm {

class DemoClock {
public:
    // What one tick adds to the running time, in clock units.
    static constexpr float kTickStep = 0.1f;

    DemoClock() = default;
    ~DemoClock();
    DemoClock(const DemoClock&) = delete;
    DemoClock& operator=(const DemoClock&) = delete;

    // The timer period for a rate in ticks per second: 1000 / rate milliseconds truncated toward
    // zero (14 for 70, 16 for 60). 0 when no timer can run at that rate (not finite, not
    // positive, above 1000 or below one tick in 1000 seconds).
    static std::uint32_t TickPeriodMs(float rate);

    // Stores the rate, starts the periodic timer and resets. False when the timer cannot start;
    // the clock then stays at 0 and no event fires unless someone calls Tick. A second Start
    // replaces the first timer.
    bool Start(float rate);

    // The timer callback: adds kTickStep when user is the clock and id is the clock's current
    // timer id. A stale id (an old timer's last call) changes nothing.
    static void Tick(std::uint32_t id, std::uint32_t msg, std::uintptr_t user, std::uintptr_t reserved1,
                     std::uintptr_t reserved2);

    // Per frame: frame delta = running time - previous time (kept even when 0; previous time
    // follows only when time advanced), then every event is checked in table order.
    void Update();
    // Hold stops the timer (no tick is in flight when it returns) and keeps the time; Resume
    // starts it again at the same rate from the time held. Ticks given by hand still count.
    void Hold();
    bool Resume();
    bool IsHeld() const { return held; }
    // Zeroes the three times and re-arms every event; the timer keeps running.
    void Reset();
    // Takes the event into the table, after the ones added before. A null event returns false.
    bool AddEvent(std::unique_ptr<TimedEvent> event);

    float GetFrameDelta() const { return frameDelta; }
    // Whole ticks since the last Reset as the latest Update saw them, and as the Update before
    // it saw them: the frame's span of show time, exact however long the show runs (the running
    // time is a float sum and drifts from the tick count).
    std::uint32_t GetFrameTicks() const { return frameTicks; }
    std::uint32_t GetPreviousFrameTicks() const { return previousFrameTicks; }
    float GetTime() const { return runningTime.load(std::memory_order_relaxed); }
    float GetRate() const { return rate; }
    std::uint32_t GetTimerId() const { return timerId.load(std::memory_order_relaxed); }
    int GetEventCount() const { return static_cast<int>(events.size()); }
    const TimedEvent* GetEvent(int index) const;

private:
    bool StartTimer();
    void KillTimer();

    std::atomic<std::uint32_t> timerId{0};
    float rate = 0.0f;
    float previousTime = 0.0f;
    std::atomic<float> runningTime{0.0f};
    std::atomic<std::uint32_t> tickCount{0};
    float frameDelta = 0.0f;
    std::uint32_t frameTicks = 0;
    std::uint32_t previousFrameTicks = 0;
    std::uint32_t resets = 0;  // Reset calls so far, for Update to notice one from an event
    std::vector<std::unique_ptr<TimedEvent>> events;
    bool held = false;
};

}  // namespace cm
