#include "app/TimedEvent.h"

#include <utility>

namespace cm {

TimedEvent::TimedEvent(float startTime, float endTime, Callback callback)
    : startTime(startTime), endTime(endTime), callback(std::move(callback)) {}

void TimedEvent::Check(float t) {
    if (done == 1) return;
    if (t >= startTime && callback) callback();
    if (t >= endTime) done = 1;
}

}  // namespace cm
