// Runs the show headless in a test: the real start-up on the data in the working folder (the
// build's bin folder), frames into a memory sink, and time owned by the test, which ticks the
// clock as a 70 Hz timer would for a chosen frame rate.
#pragma once

#include "app/Show.h"
#include "platform/d3dx/FrameSink.h"

#include <cstdint>

namespace cm::test {

// Headless, silent, no timer, fixed spark seed, the LightWave reader.
ShowSetup HeadlessSetup(FrameSink* sink);

// Ticks for frame n at fps frames a second: the timer's total by the end of frame n is
// floor(n * 70 / fps), so ticks land on frames as they would in real time.
int TicksBefore(int64_t frame, int fps);

}  // namespace cm::test
