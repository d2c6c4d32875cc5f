#include "app/ShowSeek.h"

#include "app/FrameClock.h"
#include "app/Show.h"
#include "display/DisplayDevice.h"

namespace cm {

int64_t SimulateFrames(Show& show, const FrameClock& clock, int64_t from, int64_t to) {
    DisplayDevice* display = show.GetDisplay();
    if (display == nullptr || show.GetClock() == nullptr) return from;
    const bool wasDrawing = display->IsDrawing();
    display->SetDrawing(false);
    int64_t frame = from;
    const auto tick = [&](Show& s) { s.TickClock(static_cast<int>(clock.TicksAfter(frame))); };
    while (frame < to && show.GetQuitFlag() == 0) {
        show.FrameStep(tick);
        ++frame;
    }
    display->SetDrawing(wasDrawing);
    return frame;
}

int64_t SeekToFrame(Show& show, const FrameClock& clock, int64_t frame) {
    show.RestartShow();
    return SimulateFrames(show, clock, 0, frame);
}

}  // namespace cm
