// FNV-1a, 64 bits, over bytes in memory order: a fingerprint that notices any change, for tests
// that pin generated files or compare long runs of frames without keeping them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cm::test {

inline uint64_t Fnv1a64(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint64_t h = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 0x100000001b3ull;
    return h;
}

}  // namespace cm::test
