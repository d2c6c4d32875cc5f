#include "Interrupt.h"

#include <csignal>

namespace cm::record {

namespace {
volatile std::sig_atomic_t gSignal = 0;

extern "C" void OnInterrupt(int signal) { gSignal = signal; }
}  // namespace

void CatchInterrupts() {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The default comes back after the first signal, so a second one is not ignored.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int InterruptSignal() { return gSignal; }

}  // namespace cm::record
