// How many frames the show draws before it ends, worked out from its timeline and the credits'
// scroll alone: nothing is loaded or drawn, so a caller that owns the clock knows the show's
// end before the first frame.
#pragma once

#include <cstdint>
#include <functional>

namespace cm {

// The frames RunShow draws (from frame 0, the last one being the frame that raises the quit
// flag) when the clock is ticked ticksAfter(n) times after frame n; at most limit.
int64_t CountShowFrames(const std::function<int64_t(int64_t)>& ticksAfter, int64_t limit);

}  // namespace cm
