// SIGINT and SIGTERM as a request to stop: the run finishes the frame in hand, stops ffmpeg and
// removes what it had not finished. A second signal ends the program at once.
#pragma once

namespace cm::record {

// Installs the handlers; the first SIGINT or SIGTERM from then on is remembered.
void CatchInterrupts();
// The signal received since CatchInterrupts, 0 for none.
int InterruptSignal();

}  // namespace cm::record
