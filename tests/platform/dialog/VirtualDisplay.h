// An X server for tests that need one: the session's own display when DISPLAY is set, else a
// private Xvfb started for the test program and stopped with it. Available() is false when
// neither can be had (the tests then skip).
#pragma once

#include <sys/types.h>

namespace cm::test {

class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool Available() const { return available; }

private:
    pid_t server = -1;
    bool available = false;
};

}  // namespace cm::test
