#include "app/DemoClock.h"

#include "platform/timer/PeriodicTimer.h"

#include <cmath>
#include <new>

namespace cm {

namespace {
// The multimedia timer's resolution request; our timer sleeps to absolute deadlines anyway.
constexpr std::uint32_t kTimerResolutionMs = 7;
}  // namespace

DemoClock::~DemoClock() {
    // The timer goes first so no tick can arrive while the clock is half destroyed.
    KillTimer();
}

std::uint32_t DemoClock::TickPeriodMs(float rate) {
    if (!std::isfinite(rate) || rate <= 0.0f) return 0;
    // Divided in float like the original rate, then truncated; checked in range before the
    // conversion, which would be undefined for values an unsigned int cannot hold.
    const float period = 1000.0f / rate;
    if (!(period >= 1.0f) || period > static_cast<float>(kTimerMaxDelayMs)) return 0;
    return static_cast<std::uint32_t>(period);
}

bool DemoClock::Start(float newRate) {
    KillTimer();
    rate = newRate;
    if (!StartTimer()) return false;
    Reset();
    return true;
}

bool DemoClock::StartTimer() {
    held = false;
    const std::uint32_t period = TickPeriodMs(rate);
    const std::uint32_t id = period == 0
        ? 0
        : TimerSetEvent(period, kTimerResolutionMs, &DemoClock::Tick, reinterpret_cast<std::uintptr_t>(this),
                        kTimePeriodic);
    timerId.store(id, std::memory_order_relaxed);
    return id != 0;
}

void DemoClock::Hold() {
    KillTimer();
    held = true;
}

bool DemoClock::Resume() {
    if (!held) return false;
    return StartTimer();
}

void DemoClock::Tick(std::uint32_t id, std::uint32_t /*msg*/, std::uintptr_t user, std::uintptr_t /*reserved1*/,
                     std::uintptr_t /*reserved2*/) {
    auto* clock = reinterpret_cast<DemoClock*>(user);
    if (clock == nullptr || id != clock->timerId.load(std::memory_order_relaxed)) return;
    // The same addition as fetch_add, which not every standard library offers for floats yet.
    float seen = clock->runningTime.load(std::memory_order_relaxed);
    while (!clock->runningTime.compare_exchange_weak(seen, seen + kTickStep, std::memory_order_relaxed)) {
    }
    clock->tickCount.fetch_add(1, std::memory_order_relaxed);
}

void DemoClock::Update() {
    // One read serves the delta, the new previous time and the events, so the frame's events
    // are those of the time the frame shows; a tick landing meanwhile counts in the next frame.
    const float now = runningTime.load(std::memory_order_relaxed);
    frameDelta = now - previousTime;
    if (frameDelta > 0.0f) previousTime = now;
    // Read apart from the running time: a tick landing in between shows in the ticks one frame
    // before it shows in the delta, and both catch up by the next frame.
    previousFrameTicks = frameTicks;
    frameTicks = tickCount.load(std::memory_order_relaxed);
    // By index: a callback may add events (the table grows). One that resets the clock ends
    // the checks, as the time read above is no longer the clock's.
    const std::uint32_t resetsBefore = resets;
    for (std::size_t i = 0; i < events.size() && resets == resetsBefore; ++i) events[i]->Check(now);
}

void DemoClock::Reset() {
    ++resets;
    frameDelta = 0.0f;
    runningTime.store(0.0f, std::memory_order_relaxed);
    previousTime = 0.0f;
    tickCount.store(0, std::memory_order_relaxed);
    frameTicks = 0;
    previousFrameTicks = 0;
    for (auto& event : events) event->ClearDone();
}

bool DemoClock::AddEvent(std::unique_ptr<TimedEvent> event) {
    if (!event) return false;
    try {
        events.push_back(std::move(event));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

const TimedEvent* DemoClock::GetEvent(int index) const {
    if (index < 0 || index >= GetEventCount()) return nullptr;
    return events[static_cast<std::size_t>(index)].get();
}

void DemoClock::KillTimer() {
    const std::uint32_t id = timerId.exchange(0, std::memory_order_relaxed);
    if (id != 0) TimerKillEvent(id);
}

}  // namespace cm
