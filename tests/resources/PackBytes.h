// Builds pack archives byte by byte, sound or damaged, in scratch folders.
#pragma once

#include "common/ScratchDir.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cm::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A sound header and its data; a name of 128 bytes or more fills the field without a NUL.
inline void AddEntry(Bytes& pack, const std::string& name, const std::string& data, std::uint32_t flags = 0) {
    const std::size_t at = pack.size();
    pack.resize(at + 144, 0);
    std::memcpy(pack.data() + at, name.data(), std::min<std::size_t>(name.size(), 128));
    PutU32(pack, at + 128, static_cast<std::uint32_t>(data.size()));
    PutU32(pack, at + 132, static_cast<std::uint32_t>(data.size()));
    PutU32(pack, at + 136, flags);
    PutU32(pack, at + 140, static_cast<std::uint32_t>(at));
    pack.insert(pack.end(), data.begin(), data.end());
}

inline void AddCount(Bytes& pack, std::uint32_t count) {
    pack.resize(pack.size() + 4);
    PutU32(pack, pack.size() - 4, count);
}

inline std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

}  // namespace cm::test
