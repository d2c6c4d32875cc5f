// The music tests' player: a module as libopenmpt renders it.
#pragma once

#include <cstdint>
#include <libopenmpt/libopenmpt.hpp>
#include <vector>

namespace cm::music::test {

// Interleaved stereo float, as libopenmpt renders at `rate` from the start to the song's end.
inline std::vector<float> RenderOpenMpt(const std::vector<uint8_t>& bytes, int rate) {
    openmpt::module module(bytes);
    std::vector<float> out;
    std::vector<float> block(2 * 4096);
    for (;;) {
        const size_t frames = module.read_interleaved_stereo(rate, 4096, block.data());
        if (frames == 0) break;
        out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(2 * frames));
    }
    return out;
}

}  // namespace cm::music::test
