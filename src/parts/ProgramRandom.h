// The program's own pseudo-random generator: the linear congruential one of the C runtimes
// the show was first built with, written out so that every platform draws the same sequence.
//   state = state * 214013 + 2531011 (mod 2^32), value = (state >> 16) & 32767.
// One generator for the whole program, seeded once by the room part's Load. Main thread only.
#pragma once

#include <cstdint>

namespace cm {

inline constexpr int32_t kProgramRandomMax = 32767;

void SeedProgramRandom(uint32_t seed);
// The next value, 0 to 32767.
int32_t ProgramRandom();
// The generator's state, for tests that replay a sequence.
uint32_t GetProgramRandomState();

}  // namespace cm
