// The periodic timer that stands in for the multimedia timer (timeSetEvent / timeKillEvent).
//
// Owns: one thread per live timer, which calls the callback at a steady period measured on
// std::chrono::steady_clock. Units: milliseconds. Deadlines advance by whole periods from the
// start, so the average rate does not drift with the callback's running time; after a stall of
// more than a second the schedule restarts from now instead of firing a burst of catch-up calls.
//
// Error policy: bad arguments or a thread that cannot be started give the id 0, as the
// multimedia timer reports failure; nothing throws. TimerKillEvent returns only after the
// callback has stopped for good (except when a timer kills itself from its own callback, where it
// returns at once and the thread ends after that call).
#pragma once

#include <cstdint>

namespace cm {

// The multimedia timer's callback signature: timer id, message (always 0 here), the user value
// given at creation, two reserved values (always 0).
using TimerCallback = void (*)(std::uint32_t id, std::uint32_t msg, std::uintptr_t user,
                               std::uintptr_t reserved1, std::uintptr_t reserved2);

inline constexpr std::uint32_t kTimeOneShot = 0;
inline constexpr std::uint32_t kTimePeriodic = 1;
// The longest delay the multimedia timer accepts, in milliseconds.
inline constexpr std::uint32_t kTimerMaxDelayMs = 1000000;

// The arguments TimerSetEvent accepts, on every platform.
inline bool IsValidTimerRequest(std::uint32_t delayMs, TimerCallback callback, std::uint32_t type) {
    return delayMs >= 1 && delayMs <= kTimerMaxDelayMs && callback != nullptr &&
           (type == kTimeOneShot || type == kTimePeriodic);
}

// Starts a timer that calls callback(id, 0, user, 0, 0) on its own thread every delayMs
// milliseconds (kTimePeriodic) or once after delayMs (kTimeOneShot). resolutionMs is accepted
// for the signature's sake; the thread sleeps to absolute deadlines. Returns a non-zero id, or 0
// when delayMs is outside 1..kTimerMaxDelayMs, callback is null, type is unknown or no thread
// can be started.
std::uint32_t TimerSetEvent(std::uint32_t delayMs, std::uint32_t resolutionMs, TimerCallback callback,
                            std::uintptr_t user, std::uint32_t type);

// Stops the timer. Returns false for an id that is not (or no longer) live.
bool TimerKillEvent(std::uint32_t id);

}  // namespace cm
