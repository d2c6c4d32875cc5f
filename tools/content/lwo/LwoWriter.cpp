#include "lwo/LwoWriter.h"

#include <cstring>
#include <stdexcept>

namespace cm::content {
namespace {

class ByteSink {
public:
    void U8(uint8_t v) { bytes.push_back(v); }
    void U16(uint32_t v) {
        U8(uint8_t(v >> 8));
        U8(uint8_t(v));
    }
    void U32(uint32_t v) {
        U16(v >> 16);
        U16(v & 0xffff);
    }
    void F32(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
    }
    void Id(const char* id) { bytes.insert(bytes.end(), id, id + 4); }
    // S0: the name, a NUL, and one more NUL when that leaves the length odd.
    void S0(const std::string& s) {
        if (s.find('\0') != std::string::npos || s.size() > 511)
            throw std::logic_error("LwoWriter: name '" + s + "' cannot be stored");
        bytes.insert(bytes.end(), s.begin(), s.end());
        U8(0);
        if (bytes.size() % 2) U8(0);
    }
    void Vec(const Vector3& v) {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    // Opens a chunk (32-bit length) or sub-chunk (16-bit length); Close patches the length.
    size_t Open(const char* id, bool shortLength) {
        Id(id);
        size_t at = bytes.size();
        if (shortLength) U16(0); else U32(0);
        return at;
    }
    void Close(size_t at, bool shortLength) {
        size_t start = at + (shortLength ? 2 : 4);
        size_t len = bytes.size() - start;
        if (len % 2) throw std::logic_error("LwoWriter: odd chunk length");
        if (shortLength) {
            if (len > 0xffff) throw std::logic_error("LwoWriter: sub-chunk too long");
            bytes[at] = uint8_t(len >> 8);
            bytes[at + 1] = uint8_t(len);
        } else {
            for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(len >> (24 - 8 * i));
        }
    }
    std::vector<uint8_t> bytes;
};

// Sub-chunk starts are relative to the file, but since every chunk and sub-chunk has an even
// length and starts at an even offset, S0 padding computed on the absolute size is the same as
// padding relative to the string start.
void WriteSurface(ByteSink& out, const LwoSurfaceDef& s) {
    size_t surf = out.Open("SURF", false);
    out.S0(s.name);
    size_t sub = out.Open("COLR", true);
    out.U8(s.red);
    out.U8(s.green);
    out.U8(s.blue);
    out.U8(0);
    out.Close(sub, true);
    sub = out.Open("FLAG", true);
    out.U16(s.flags);
    out.Close(sub, true);
    if (s.textured) {
        const LwoImageMap& m = s.colourMap;
        sub = out.Open("CTEX", true);
        out.S0(m.projection);
        out.Close(sub, true);
        sub = out.Open("TIMG", true);
        out.S0(m.image);
        out.Close(sub, true);
        sub = out.Open("TFLG", true);
        out.U16(m.axisFlags);
        out.Close(sub, true);
        sub = out.Open("TSIZ", true);
        out.Vec(m.size);
        out.Close(sub, true);
        sub = out.Open("TCTR", true);
        out.Vec(m.centre);
        out.Close(sub, true);
    }
    out.Close(surf, false);
}

}  // namespace

uint32_t LwoWriter::AddPoint(const Vector3& p) {
    points_.push_back(p);
    return uint32_t(points_.size() - 1);
}

uint16_t LwoWriter::AddSurface(const LwoSurfaceDef& surface) {
    surfaces_.push_back(surface);
    return uint16_t(surfaces_.size());
}

void LwoWriter::AddTriangle(uint32_t a, uint32_t b, uint32_t c, uint16_t surface) {
    triangles_.push_back({a, b, c, surface});
}

std::vector<uint8_t> LwoWriter::Serialize() const {
    if (points_.empty() || triangles_.empty() || surfaces_.empty())
        throw std::logic_error("LwoWriter: an object needs points, triangles and a surface");
    if (points_.size() > 0xffff) throw std::logic_error("LwoWriter: more than 65535 points");
    for (const LwoTriangle& t : triangles_) {
        if (t.a >= points_.size() || t.b >= points_.size() || t.c >= points_.size())
            throw std::logic_error("LwoWriter: triangle index past the points");
        if (t.surface < 1 || t.surface > surfaces_.size())
            throw std::logic_error("LwoWriter: surface number out of range");
    }

    ByteSink out;
    out.Id("FORM");
    out.U32(0);
    out.Id("LWOB");

    size_t c = out.Open("PNTS", false);
    for (const Vector3& p : points_) out.Vec(p);
    out.Close(c, false);

    c = out.Open("SRFS", false);
    for (const LwoSurfaceDef& s : surfaces_) out.S0(s.name);
    out.Close(c, false);

    c = out.Open("POLS", false);
    for (const LwoTriangle& t : triangles_) {
        out.U16(3);
        out.U16(t.a);
        out.U16(t.b);
        out.U16(t.c);
        out.U16(t.surface);
    }
    out.Close(c, false);

    for (const LwoSurfaceDef& s : surfaces_) WriteSurface(out, s);

    uint32_t formLength = uint32_t(out.bytes.size() - 8);
    for (int i = 0; i < 4; ++i) out.bytes[4 + i] = uint8_t(formLength >> (24 - 8 * i));
    return out.bytes;
}

}  // namespace cm::content
