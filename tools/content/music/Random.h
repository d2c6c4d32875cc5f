// The generator's only source of randomness: xorshift64*, seeded explicitly, so every rendered
// sample is the same on every build and machine.
#pragma once

#include <cstdint>

namespace cm::music {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}

    uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    // Uniform in [-1, 1), from the top 24 bits so the float conversion is exact.
    float Signed() { return static_cast<float>(static_cast<int32_t>(Next() >> 40) - 0x800000) / 8388608.0f; }

private:
    uint64_t state_;
};

}  // namespace cm::music
