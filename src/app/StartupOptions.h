// The two options the user picks before the show starts, and whether the user picked at all.
// Three 32-bit integers used as booleans, as the start-up dialog fills them.
#pragma once

#include <cstdint>

namespace cm {

struct StartupOptions {
    int32_t windowed = 0;   // "Windowed" ticked: a captioned window instead of full screen
    int32_t noSound = 0;    // "No sound" ticked: no music player is created
    int32_t cancelled = 1;  // only "Run" clears it
};

// Shows the start-up dialog and fills options from the user's answer: "Run" stores both check
// boxes and clears cancelled; "Cancel", closing the dialog, or no display to show it on leaves
// cancelled set. Numbers keep parsing with a '.' afterwards, whatever the user's locale.
void RunStartupDialog(StartupOptions& options);

}  // namespace cm
