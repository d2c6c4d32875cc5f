// Helpers shared by the music tests: running a module through the two players.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cm::music::test {

// Interleaved stereo float, as libopenmpt renders at `rate` from the start to the song's end.
std::vector<float> RenderOpenMpt(const std::vector<uint8_t>& module, int rate);

// Frequency in Hz of the strongest period between minHz and maxHz in `mono` (autocorrelation),
// for checking that notes come out at their pitch.
double EstimatePitch(const std::vector<float>& mono, int rate, double minHz, double maxHz);

}  // namespace cm::music::test
