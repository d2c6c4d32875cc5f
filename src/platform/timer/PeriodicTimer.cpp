#include "platform/timer/PeriodicTimer.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace cm {
namespace {

using Clock = std::chrono::steady_clock;

struct TimerState {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread thread;
};

// The live timers by id. Never destroyed: a clock with static storage may be destroyed (and
// kill its timer) after every function-local static is gone, so the registry must outlive all
// of them. Timers still live at exit simply end with the process.
class Registry {
public:
    std::mutex mutex;
    std::map<std::uint32_t, std::shared_ptr<TimerState>> timers;
    std::uint32_t lastId = 0;

    // Ids run upwards and skip 0 and any id still live after the counter wraps.
    std::uint32_t NextIdLocked() {
        do {
            ++lastId;
        } while (lastId == 0 || timers.count(lastId) != 0);
        return lastId;
    }

    static void Stop(TimerState& state) {
        {
            std::lock_guard lock(state.mutex);
            state.stop = true;
        }
        state.wake.notify_all();
        if (!state.thread.joinable()) return;
        // A timer killed from its own callback cannot wait for itself; its loop sees the stop
        // flag as soon as the callback returns.
        if (state.thread.get_id() == std::this_thread::get_id())
            state.thread.detach();
        else
            state.thread.join();
    }
};

Registry& GetRegistry() {
    static Registry* registry = new Registry;
    return *registry;
}

void RunTimer(std::shared_ptr<TimerState> state, std::uint32_t id, std::chrono::milliseconds period,
              TimerCallback callback, std::uintptr_t user, std::uint32_t type) {
    auto next = Clock::now() + period;
    std::unique_lock lock(state->mutex);
    for (;;) {
        if (state->wake.wait_until(lock, next, [&] { return state->stop; })) return;
        lock.unlock();
        callback(id, 0, user, 0, 0);
        lock.lock();
        if (type == kTimeOneShot) return;
        next += period;
        const auto now = Clock::now();
        if (now - next > std::chrono::seconds(1)) next = now + period;
    }
}

}  // namespace

std::uint32_t TimerSetEvent(std::uint32_t delayMs, std::uint32_t /*resolutionMs*/, TimerCallback callback,
                            std::uintptr_t user, std::uint32_t type) {
    if (!IsValidTimerRequest(delayMs, callback, type)) return 0;

    Registry& registry = GetRegistry();
    auto state = std::make_shared<TimerState>();
    // The registry lock is held until the thread object is stored, so a kill racing with the
    // first callback always finds a joinable thread.
    std::lock_guard lock(registry.mutex);
    const std::uint32_t id = registry.NextIdLocked();
    try {
        state->thread = std::thread(RunTimer, state, id, std::chrono::milliseconds(delayMs), callback, user, type);
    } catch (const std::system_error&) {
        return 0;
    }
    registry.timers.emplace(id, std::move(state));
    return id;
}

bool TimerKillEvent(std::uint32_t id) {
    Registry& registry = GetRegistry();
    std::shared_ptr<TimerState> state;
    {
        std::lock_guard lock(registry.mutex);
        auto it = registry.timers.find(id);
        if (it == registry.timers.end()) return false;
        state = std::move(it->second);
        registry.timers.erase(it);
    }
    Registry::Stop(*state);
    return true;
}

}  // namespace cm
