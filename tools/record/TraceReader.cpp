#include "TraceReader.h"

#include "platform/device/D3DTypes.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace cm::record {

namespace {
using Tokens = std::vector<std::string>;

Tokens Split(const std::string& line) {
    Tokens t;
    std::istringstream in(line.substr(0, line.find('#')));
    std::string w;
    while (in >> w) t.push_back(w);
    return t;
}

bool ToUint(const std::string& s, uint32_t& v) {
    if (s.empty() || s[0] == '-' || s[0] == '+') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long x = std::strtoull(s.c_str(), &end, s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0 ? 16 : 10);
    if (errno != 0 || *end != '\0' || x > 0xFFFFFFFFull) return false;
    v = uint32_t(x);
    return true;
}

bool ToFloat(const std::string& s, float& v) {
    char* end = nullptr;
    v = std::strtof(s.c_str(), &end);
    return !s.empty() && *end == '\0';
}

bool ToFloatBits(const std::string& s, uint32_t& bits) {
    float f;
    if (!ToFloat(s, f)) return false;
    std::memcpy(&bits, &f, 4);
    return true;
}

// One vertex line into its packed record.
bool Vertex(const Tokens& t, uint32_t fvf, std::vector<uint8_t>& out) {
    const size_t floatsBefore = fvf == kFvfScreenVertex ? 4 : 6;
    if (t.size() != floatsBefore + 3) return false;
    float f[8];
    uint32_t diffuse;
    for (size_t i = 0; i < floatsBefore; ++i) {
        if (!ToFloat(t[i], f[i])) return false;
    }
    if (!ToUint(t[floatsBefore], diffuse) || !ToFloat(t[floatsBefore + 1], f[floatsBefore]) ||
        !ToFloat(t[floatsBefore + 2], f[floatsBefore + 1]))
        return false;
    const size_t at = out.size();
    out.resize(at + (floatsBefore + 3) * 4);
    std::memcpy(out.data() + at, f, floatsBefore * 4);
    std::memcpy(out.data() + at + floatsBefore * 4, &diffuse, 4);
    std::memcpy(out.data() + at + floatsBefore * 4 + 4, f + floatsBefore, 8);
    return true;
}
}  // namespace

bool ReadTrace(const std::string& text, std::vector<TraceEntry>& entries, std::string& error) {
    entries.clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    using Kind = TraceEntry::Kind;
    while (std::getline(in, line)) {
        ++number;
        const Tokens t = Split(line);
        if (t.empty()) continue;
        TraceEntry e;
        const std::string& w = t[0];
        auto uints = [&](size_t n) {
            if (t.size() != n + 1) return false;
            uint32_t* fields[3] = {&e.a, &e.b, &e.c};
            for (size_t i = 0; i < n; ++i) {
                if (!ToUint(t[i + 1], *fields[i])) return false;
            }
            return true;
        };
        if (w == "frame" || w == "present") {
            if (t.size() != 1) return fail("extra fields");
            e.kind = w == "frame" ? Kind::Frame : Kind::Present;
        } else if (w == "clear") {
            e.kind = Kind::Clear;
            if (!uints(1)) return fail("clear wants one colour");
        } else if (w == "rs") {
            e.kind = Kind::RenderState;
            if (t.size() != 3 || !ToUint(t[1], e.a)) return fail("rs wants a state and a value");
            const bool isFloat = e.a == D3DRENDERSTATE_FOGSTART || e.a == D3DRENDERSTATE_FOGEND;
            if (!(isFloat ? ToFloatBits(t[2], e.b) : ToUint(t[2], e.b))) return fail("bad rs value");
        } else if (w == "tss") {
            e.kind = Kind::StageState;
            if (!uints(3)) return fail("tss wants a stage, a state and a value");
        } else if (w == "transform") {
            e.kind = Kind::Transform;
            if (t.size() != 18 || !ToUint(t[1], e.a)) return fail("transform wants a kind and 16 floats");
            for (int i = 0; i < 16; ++i) {
                if (!ToFloat(t[size_t(i) + 2], e.matrix.m[i])) return fail("bad matrix element");
            }
        } else if (w == "texture") {
            e.kind = Kind::Texture;
            if (t.size() != 5 || !ToUint(t[1], e.a) || !ToUint(t[2], e.b) || !ToUint(t[3], e.c))
                return fail("texture wants an id, a width, a height and a file");
            e.file = t[4];
        } else if (w == "settexture") {
            e.kind = Kind::SetTexture;
            if (!uints(2)) return fail("settexture wants a stage and an id");
        } else if (w == "draw") {
            e.kind = Kind::Draw;
            if (!uints(3)) return fail("draw wants a primitive, a format and a count");
            if (e.b != kFvfScreenVertex && e.b != kFvfMeshVertex) return fail("unknown vertex format");
            if (e.c > (1u << 20)) return fail("too many vertices");
            for (uint32_t i = 0; i < e.c; ++i) {
                if (!std::getline(in, line)) return fail("the draw's vertices end early");
                ++number;
                if (!Vertex(Split(line), e.b, e.vertices)) return fail("bad vertex");
            }
        } else {
            return fail("unknown call '" + w + "'");
        }
        entries.push_back(std::move(e));
    }
    return true;
}

}  // namespace cm::record
