// Builds pack archives byte by byte, sound or damaged, in scratch folders.
#pragma once

#include "common/ScratchDir.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace cm::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct PackFile {
    std::string name, data;  // a name of 128 bytes or more fills the field without a NUL
    std::uint32_t flags = 0;
};

// Sound headers, each followed by its data, then their count.
inline Bytes PackOf(std::initializer_list<PackFile> files) {
    Bytes pack;
    for (const PackFile& f : files) {
        const std::size_t at = pack.size();
        pack.resize(at + 144, 0);
        std::memcpy(pack.data() + at, f.name.data(), std::min<std::size_t>(f.name.size(), 128));
        PutU32(pack, at + 128, static_cast<std::uint32_t>(f.data.size()));
        PutU32(pack, at + 132, static_cast<std::uint32_t>(f.data.size()));
        PutU32(pack, at + 136, f.flags);
        PutU32(pack, at + 140, static_cast<std::uint32_t>(at));
        pack.insert(pack.end(), f.data.begin(), f.data.end());
    }
    pack.resize(pack.size() + 4);
    PutU32(pack, pack.size() - 4, static_cast<std::uint32_t>(files.size()));
    return pack;
}

inline std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

}  // namespace cm::test
