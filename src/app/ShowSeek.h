// Seeking: the show's state brought to any frame of a fixed-rate run without drawing it.
//
// A run at a fixed frame rate (the recorder's, FrameClock.h) draws frame n, then gives the clock
// exactly the ticks that bring it to frame n + 1's time, then lets the clock's Update fire the
// events that came due. Simulating runs those same frame steps with the display drawing,
// clearing and presenting nothing (DisplayDevice::SetDrawing), so the parts, sparks, flashes,
// timed events and quit flag advance exactly as in a drawn run, and the first frame drawn
// afterwards has the same pixels as the same frame of a run from the start with the same spark
// seed and frame rate.
#pragma once

#include <cstdint>

namespace cm {

class FrameClock;
class Show;

// Runs frames [from, to) of the run without drawing them. Stops after the frame that raises the
// show's quit flag. Returns the frame the next FrameStep draws (to, or earlier at the show's end).
int64_t SimulateFrames(Show& show, const FrameClock& clock, int64_t from, int64_t to);

// Restarts the show (RestartShow) and simulates frames [0, frame), so that the next FrameStep
// draws `frame`. Returns what SimulateFrames returns.
int64_t SeekToFrame(Show& show, const FrameClock& clock, int64_t frame);

}  // namespace cm
