// The application shell: the entry point, the start-up options and dialog use, the show's
// start-up and shutdown order, the main loop with its flashes (Show.h), and the demo clock
// with its timed events (DemoClock.h, TimedEvent.h).
//
// Units: clock units (0.1 per timer tick; the show's timer ticks 70 times a second), flash
// level 0..1, pixels of the 640 x 480 target.
// Error policy: Cancel or any start-up failure ends the program with exit code 1 after
// releasing what was made; a failure is one line on standard error saying what failed and what
// to do, and the same text in a message box when there is a display. A missing pack or timer
// degrades quietly (loose files, a clock that stands still); a missing audio library or module
// is one line, and the show plays without music.
#pragma once

#include "app/DemoClock.h"
#include "app/Show.h"
#include "app/StartupOptions.h"
#include "app/TimedEvent.h"
