// Builders of LWOB bytes (big-endian IFF) and scene text; ScratchDir to write them to.
#pragma once

#include "common/ScratchDir.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cm::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& b, std::uint32_t v) {
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v));
}
inline void PutU32(Bytes& b, std::uint32_t v) { PutU16(b, v >> 16), PutU16(b, v & 0xFFFF); }
inline void PutF32(Bytes& b, float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    PutU32(b, v);
}
// NUL-terminated, padded to an even length.
inline Bytes Name(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.resize(s.size() % 2 == 0 ? s.size() + 2 : s.size() + 1, 0);
    return b;
}
inline Bytes Floats(std::initializer_list<float> fs) {
    Bytes b;
    for (float f : fs) PutF32(b, f);
    return b;
}
// A SURF sub-chunk: ID, U16 length, data.
inline Bytes Sub(const char* id, const Bytes& data, int length = -1) {
    Bytes b(id, id + 4);
    PutU16(b, static_cast<std::uint32_t>(length < 0 ? data.size() : length));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

class Lwob {
public:
    Lwob& Chunk(const char* id, const Bytes& data, long long length = -1) {
        body_.insert(body_.end(), id, id + 4);
        PutU32(body_, static_cast<std::uint32_t>(length < 0 ? data.size() : length));
        body_.insert(body_.end(), data.begin(), data.end());
        return *this;
    }
    Lwob& Points(std::initializer_list<float> xyz) { return Chunk("PNTS", Floats(xyz)); }
    Lwob& Surfaces(std::initializer_list<std::string> names) {
        Bytes d;
        for (const std::string& n : names) d = Join(d, Name(n));
        return Chunk("SRFS", d);
    }
    // Each polygon: its corners, then its surface number.
    Lwob& Polygons(std::initializer_list<std::vector<int>> polygons) {
        Bytes d;
        for (const std::vector<int>& p : polygons) {
            PutU16(d, static_cast<std::uint32_t>(p.size() - 1));
            for (int v : p) PutU16(d, static_cast<std::uint32_t>(v) & 0xFFFF);
        }
        return Chunk("POLS", d);
    }
    Lwob& Surface(const std::string& name, std::initializer_list<Bytes> subs) {
        Bytes d = Name(name);
        for (const Bytes& s : subs) d = Join(d, s);
        return Chunk("SURF", d);
    }
    Bytes Build(const char* form = "LWOB") const {
        Bytes b{'F', 'O', 'R', 'M'};
        PutU32(b, static_cast<std::uint32_t>(body_.size() + 4));
        b.insert(b.end(), form, form + 4);
        return Join(b, body_);
    }
    static Bytes Join(Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }

private:
    Bytes body_;
};

// The unit square in the z = 0 plane as one quad on surface 1.
inline Lwob Square(const std::string& surface) {
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}).Surfaces({surface}).Polygons({{0, 1, 2, 3, 1}});
    return o;
}

// A 1 x 1 run-length 24-bit TGA.
inline Bytes TinyTga() { return Bytes{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 0x80, 10, 20, 30}; }

inline std::string Lines(std::initializer_list<std::string> lines, const std::string& eol = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + eol;
    return text;
}

}  // namespace cm::test
