// One entry of the show's timeline: a callback tied to a window of clock time.
// Times are clock units (0.1 per timer tick, see DemoClock.h).
#pragma once

#include <functional>

namespace cm {

class TimedEvent {
public:
    using Callback = std::function<void()>;

    // With start == end the event fires exactly once; with end after start it fires on every
    // Check from start up to and including the first Check at or after end. A null callback is
    // allowed: the event then only retires.
    TimedEvent(float startTime, float endTime, Callback callback);

    // Fires and retires by the time t. A retired event ignores every later Check, so an event
    // passed over during a long stall still fires once, late, rather than being skipped.
    void Check(float t);
    // Re-arms the event (used by the clock's Reset).
    void ClearDone() { done = 0; }

    bool IsDone() const { return done != 0; }
    float GetStartTime() const { return startTime; }
    float GetEndTime() const { return endTime; }

private:
    int done = 0;
    float startTime;
    float endTime;
    Callback callback;
};

}  // namespace cm
