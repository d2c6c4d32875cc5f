// Run-length TGA files built in memory: the 18-byte header, then the packet bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace cm::test {

inline std::vector<uint8_t> Tga(int width, int height, const std::vector<uint8_t>& packets, uint8_t type = 10,
                                uint8_t bits = 24) {
    std::vector<uint8_t> file(18 + packets.size(), 0);
    std::copy(packets.begin(), packets.end(), file.begin() + 18);
    file[2] = type;
    file[12] = width & 0xFF;
    file[13] = width >> 8;
    file[14] = height & 0xFF;
    file[15] = height >> 8;
    file[16] = bits;
    return file;
}

// A picture of one colour (blue, green, red bytes) in runs of 128 pixels.
inline std::vector<uint8_t> FlatTga(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    std::vector<uint8_t> runs;
    for (int left = width * height; left > 0; left -= 128) {
        runs.insert(runs.end(), {static_cast<uint8_t>(0x80 | (std::min(left, 128) - 1)), b, g, r});
    }
    return Tga(width, height, runs);
}

}  // namespace cm::test
