#include "VirtualDisplay.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace cm::test {

VirtualDisplay::VirtualDisplay() {
    const char* existing = std::getenv("DISPLAY");
    if (existing != nullptr && *existing != '\0') {
        available = true;
        return;
    }
    int fds[2];
    if (::pipe(fds) != 0) return;
    server = ::fork();
    if (server == 0) {
        ::close(fds[0]);
        // Xvfb picks a free display number and writes it to the pipe once it accepts clients.
        const std::string fd = std::to_string(fds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    if (server < 0) {
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
    available = true;
}

VirtualDisplay::~VirtualDisplay() {
    if (server > 0) {
        ::kill(server, SIGTERM);
        int status = 0;
        ::waitpid(server, &status, 0);
    }
}

}  // namespace cm::test
