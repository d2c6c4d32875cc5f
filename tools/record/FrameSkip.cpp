#include "FrameSkip.h"

#include "ContactSheet.h"

#include "app/Show.h"
#include "app/ShowSeek.h"

namespace cm::record {

int64_t SkipToNeededFrame(Show& show, const FrameClock& clock, int64_t frame, int64_t stop,
                          const std::function<bool(int64_t)>& needed) {
    int64_t next = frame;
    while (next < stop && !needed(next)) ++next;
    return SimulateFrames(show, clock, frame, next);
}

std::array<int64_t, 9> PlanContactSheet(Show& show, const FrameClock& clock) {
    ContactSheet times;
    const Image none;
    show.RestartShow();
    for (int64_t frame = 0; show.GetQuitFlag() == 0; ++frame) {
        SimulateFrames(show, clock, frame, frame + 1);
        times.Add(show.GetLastDrawnPart(), clock.SecondsAt(frame), none);
    }
    std::array<int64_t, 9> frames;
    for (int part = 0; part < kPartCount; ++part) {
        const double seconds = times.ChosenSeconds(part);
        frames[size_t(part)] = seconds < 0.0 ? -1 : clock.FirstFrameAtOrAfter(seconds);
    }
    show.RestartShow();
    return frames;
}

}  // namespace cm::record
