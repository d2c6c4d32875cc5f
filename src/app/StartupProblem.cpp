#include "app/StartupProblem.h"

#include <cstdlib>

namespace cm {

namespace {
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Setting(const char* name) {
    const std::string value = Variable(name);
    return value.empty() ? std::string(name) + " not set" : std::string(name) + "=" + value;
}

constexpr const char* kElsewhere = "; or record the show without a display: coldmeridian-record --out show.mp4";
}  // namespace

std::string DescribeDisplaySetting() { return Setting("DISPLAY") + ", " + Setting("WAYLAND_DISPLAY"); }

std::string DescribeNoDisplay() {
    const std::string x = Variable("DISPLAY"), wayland = Variable("WAYLAND_DISPLAY");
    if (x.empty() && wayland.empty()) {
        return std::string("no display: neither DISPLAY nor WAYLAND_DISPLAY is set; start the show in a "
                           "graphical session") + kElsewhere;
    }
    if (x.empty()) {
        return "cannot open the Wayland display '" + wayland + "' (WAYLAND_DISPLAY=" + wayland +
               ", DISPLAY not set, so no X server was tried): check that the compositor runs, or set DISPLAY "
               "to its X server (Xwayland)" + kElsewhere;
    }
    return "cannot open the X display '" + x + "' (DISPLAY=" + x + (wayland.empty() ? "" : ", WAYLAND_DISPLAY=" + wayland) +
           "): no X server answers there; set DISPLAY to a running server" + kElsewhere;
}

}  // namespace cm
