// The show's instruments, each synthesised from the operators of Wave.h into one 16-bit sample
// with its loop, tuning and volume envelope.
#pragma once

#include <string>
#include <vector>

#include "music/Xm.h"

namespace cm::music {

// Fills `out` (sample, loop, tuning, envelope, vibrato) with the named design; name, default
// volume and panning are left for the caller. Returns false for an unknown name.
bool MakePatch(const std::string& name, XmInstrument& out);

// The names MakePatch knows, for messages.
std::vector<std::string> PatchNames();

// Sets relativeNote and finetune so that `rootNote` plays the sample at `rate`, to the nearest
// 1/128 semitone the format can say, and returns the rate that tuning gives exactly: a design
// renders at that rate so its pitches come out right.
double Tune(XmInstrument& out, double rate, int rootNote);

}  // namespace cm::music
