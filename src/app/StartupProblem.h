// Words for what stops the show from starting, for the one line on standard error (and the
// message box) that tells the user what failed and what to do.
#pragma once

#include <string>

namespace cm {

// The display settings as the user can check them: "DISPLAY=:0, WAYLAND_DISPLAY not set".
std::string DescribeDisplaySetting();

// Why no display could be opened, from the environment: neither variable set, an X server
// that does not answer, or a Wayland-only session.
std::string DescribeNoDisplay();

}  // namespace cm
