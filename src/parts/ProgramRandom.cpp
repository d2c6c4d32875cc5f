#include "parts/ProgramRandom.h"

namespace cm {

namespace {
uint32_t g_state = 1;  // the C runtime's state before any seed
}

void SeedProgramRandom(uint32_t seed) { g_state = seed; }

int32_t ProgramRandom() {
    // Unsigned arithmetic wraps modulo 2^32 as the generator requires.
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int32_t>((g_state >> 16) & 32767u);
}

uint32_t GetProgramRandomState() { return g_state; }

}  // namespace cm
