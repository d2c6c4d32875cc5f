// The periodic timer in a browser page, which has one thread: each timer is a chain of the
// page's timeouts, measured on its monotonic clock (performance.now). The schedule is the
// threaded timer's: deadlines advance by whole periods from the start, late deadlines are
// caught up one call after the other, and after a stall of more than a second (a hidden tab)
// the schedule restarts from now. Callbacks run between the page's other tasks, never during
// a frame, so the clock they advance needs no locking.
#include "platform/timer/PeriodicTimer.h"

#include <emscripten/emscripten.h>
#include <emscripten/eventloop.h>

#include <map>

namespace cm {
namespace {

constexpr double kStallMs = 1000.0;

struct WebTimer {
    double periodMs;
    double nextMs;  // the next deadline on the page's clock
    TimerCallback callback;
    std::uintptr_t user;
    std::uint32_t type;
    long timeout;  // the pending timeout of the page
};

struct Registry {
    std::map<std::uint32_t, WebTimer> timers;
    std::uint32_t lastId = 0;
};

Registry& GetRegistry() {
    static Registry* registry = new Registry;  // outlives every clock, as the threaded one
    return *registry;
}

void Wake(void* data) {
    const auto id = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(data));
    Registry& registry = GetRegistry();
    for (;;) {
        auto it = registry.timers.find(id);
        if (it == registry.timers.end()) return;  // killed, perhaps by its own callback
        WebTimer& timer = it->second;
        const double now = emscripten_get_now();
        if (timer.nextMs > now) {
            timer.timeout = emscripten_set_timeout(&Wake, timer.nextMs - now, data);
            return;
        }
        if (timer.type == kTimeOneShot) {
            const WebTimer done = timer;
            registry.timers.erase(it);
            done.callback(id, 0, done.user, 0, 0);
            return;
        }
        timer.nextMs += timer.periodMs;
        if (now - timer.nextMs > kStallMs) timer.nextMs = now + timer.periodMs;
        // The callback may kill this timer or start others: the map entry is looked up again.
        const TimerCallback callback = timer.callback;
        const std::uintptr_t user = timer.user;
        callback(id, 0, user, 0, 0);
    }
}

}  // namespace

std::uint32_t TimerSetEvent(std::uint32_t delayMs, std::uint32_t /*resolutionMs*/, TimerCallback callback,
                            std::uintptr_t user, std::uint32_t type) {
    if (!IsValidTimerRequest(delayMs, callback, type)) return 0;
    Registry& registry = GetRegistry();
    do {
        ++registry.lastId;
    } while (registry.lastId == 0 || registry.timers.count(registry.lastId) != 0);
    const std::uint32_t id = registry.lastId;
    const double period = static_cast<double>(delayMs);
    void* data = reinterpret_cast<void*>(static_cast<std::uintptr_t>(id));
    registry.timers[id] = WebTimer{period, emscripten_get_now() + period, callback, user, type, 0};
    registry.timers[id].timeout = emscripten_set_timeout(&Wake, period, data);
    return id;
}

bool TimerKillEvent(std::uint32_t id) {
    Registry& registry = GetRegistry();
    auto it = registry.timers.find(id);
    if (it == registry.timers.end()) return false;
    emscripten_clear_timeout(it->second.timeout);
    registry.timers.erase(it);
    return true;
}

}  // namespace cm
