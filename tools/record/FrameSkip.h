// What a recording draws and what it only simulates. Frames no output needs (before --from,
// between stills, between the contact sheet's frames) are run without drawing (app/ShowSeek.h),
// so reaching a late moment costs a fraction of drawing everything before it, and every frame
// that is drawn has the pixels it has in a run that draws them all.
#pragma once

#include "app/FrameClock.h"

#include <array>
#include <cstdint>
#include <functional>

namespace cm {
class Show;
}

namespace cm::record {

// Before frame `frame` is drawn: simulates the frames before the first one at or after it that
// `needed` asks for, up to `stop` at most. Returns the frame the show stands before (earlier
// when the show ends on the way).
int64_t SkipToNeededFrame(Show& show, const FrameClock& clock, int64_t frame, int64_t stop,
                          const std::function<bool(int64_t)>& needed);

// The contact sheet's frames: the show simulated to its end once, each frame's part and time
// offered to a sheet without pictures, and the frame it chooses for each part (-1 for a part
// never reached). The show is left restarted, before frame 0.
std::array<int64_t, 9> PlanContactSheet(Show& show, const FrameClock& clock);

}  // namespace cm::record
