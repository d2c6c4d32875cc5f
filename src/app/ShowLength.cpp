#include "app/ShowLength.h"

#include "app/DemoClock.h"
#include "app/Show.h"
#include "parts/EndScroller.h"

namespace cm {

// FrameStep's order, without the drawing: the part reads the frame delta, the clock is ticked
// after the present, and the clock's Update fires the part changes for the next frame.
int64_t CountShowFrames(const std::function<int64_t(int64_t)>& ticksAfter, int64_t limit) {
    DemoClock clock;
    int32_t part = 0;
    Show::AddPartChanges(clock, [&part] { ++part; });
    clock.Reset();
    float y = EndScroller::kStartY;
    const auto user = reinterpret_cast<std::uintptr_t>(&clock);
    for (int64_t n = 0; n < limit; ++n) {
        if (part == kPartCount - 1) {
            y = EndScroller::Scrolled(y, clock.GetFrameDelta());
            if (EndScroller::HasEnded(y)) return n + 1;
        }
        for (int64_t t = ticksAfter(n); t > 0; --t) DemoClock::Tick(clock.GetTimerId(), 0, user, 0, 0);
        clock.Update();
    }
    return limit;
}

}  // namespace cm
