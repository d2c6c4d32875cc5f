// Reads a device call trace (TraceWriter.h) back into calls, with vertices packed as the device
// receives them, so a trace can be replayed or compared with what the device saw.
#pragma once

#include "math/Matrix4.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cm::record {

struct TraceEntry {
    enum class Kind { Frame, Clear, RenderState, StageState, Transform, Texture, SetTexture, Draw, Present };
    Kind kind = Kind::Frame;
    // clear: a = colour. rs: a = state, b = value (float states as their bits). tss: a = stage,
    // b = state, c = value. transform: a = kind. texture: a = id, b = width, c = height.
    // settexture: a = stage, b = id. draw: a = primitive, b = fvf, c = count.
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
    Matrix4 matrix;
    std::string file;               // texture
    std::vector<uint8_t> vertices;  // draw: count records of the format's stride
};

// Parses the whole text. False with the line number and reason in error for anything malformed
// (unknown word, missing or extra fields, bad numbers, a draw cut short, an unknown format).
bool ReadTrace(const std::string& text, std::vector<TraceEntry>& entries, std::string& error);

}  // namespace cm::record
