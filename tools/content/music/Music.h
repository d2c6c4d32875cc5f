// The music generator: turns our score (content/music/*.score) into the show's module, kelvarin.xm.
//
// Owns: the FastTracker 2 module writer (Xm.h), the synthesiser that renders every instrument
// (Wave.h, Patches.h), and the reader of our score format (Score.h). It does not play anything:
// the show's music player and the tests use a module library for that.
//
// Units: time in seconds or in rows (one row = speed ticks; one tick = 2.5 / bpm seconds);
// synthesis works on float samples nominally within -1..1 at a given rate in Hz, and is written
// out as signed 16-bit. Notes are module note numbers: 1 = C-0, 49 = C-4, 97 = key off.
// Volumes are 0..64, panning 0 (left) .. 255 (right).
//
// Error policy: the score is our own source, but a typo must still give a clean refusal naming
// the line, never a crash or a half-written module. The writer refuses what the format cannot
// hold (too many rows, points, channels) instead of truncating it silently. Everything is
// deterministic: no clock, no locale, one seeded generator of our own.
#pragma once

#include "music/Patches.h"
#include "music/Score.h"
#include "music/Wave.h"
#include "music/Xm.h"
