// An X server for tests that need one: the session's own display when DISPLAY is set (unless a
// private one is asked for), else an Xvfb of the given screen started for the test and stopped
// with it, DISPLAY pointing at it meanwhile. Available() is false when neither can be had (the
// tests then skip).
#pragma once

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cm::test {

class VirtualDisplay {
public:
    explicit VirtualDisplay(const char* screen = "800x600x24", bool alwaysPrivate = false) {
        const char* existing = std::getenv("DISPLAY");
        if (!alwaysPrivate && existing != nullptr && *existing != '\0') {
            available_ = true;
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) return;
        server_ = ::fork();
        if (server_ == 0) {
            ::close(fds[0]);
            // Xvfb picks a free display number and writes it to the pipe once it accepts clients;
            // -noreset keeps it accepting while a test closes one connection and opens the next.
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (server_ < 0) {
            ::close(fds[0]);
            return;
        }
        std::string number;
        pollfd waiting{fds[0], POLLIN, 0};
        char c = 0;
        // At most ten seconds for the server to come up.
        while (::poll(&waiting, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (number.empty()) return;
        ::setenv("DISPLAY", (":" + number).c_str(), 1);
        available_ = true;
    }
    ~VirtualDisplay() {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool Available() const { return available_; }

private:
    pid_t server_ = -1;
    bool available_ = false;
};

}  // namespace cm::test
