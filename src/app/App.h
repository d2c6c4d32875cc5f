// The application shell: the entry point, the start-up options and dialog use, the show's
// start-up and shutdown order, the main loop with its flashes (Show.h), and the demo clock
// with its timed events (DemoClock.h, TimedEvent.h).
//
// Units: clock units (0.1 per timer tick; the show's timer ticks 70 times a second), flash
// level 0..1, pixels of the 640 x 480 target.
// Error policy: nothing is ever shown to the user. Cancel or any start-up failure ends the
// program with exit code 1 after releasing what was made; a missing pack, audio library or
// timer degrades quietly (loose files, no music, a clock that stands still).
#pragma once

#include "app/DemoClock.h"
#include "app/Show.h"
#include "app/StartupOptions.h"
#include "app/TimedEvent.h"
