// Builders for object files (IFF "LWOB", big-endian) and scene text, a scratch folder to write
// them into, and a texture manager that finds small generated images there.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include <unistd.h>

namespace cm::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}
inline void PutU32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(v >> shift));
}
inline void PutF32(Bytes& b, float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    PutU32(b, v);
}
// NUL-terminated, padded to an even length.
inline void PutName(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    if ((s.size() + 1) % 2 != 0) b.push_back(0);
}
inline void PutId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

// A SURF sub-chunk (U16 length).
inline Bytes Sub(const char* id, const Bytes& data) {
    Bytes b;
    PutId(b, id);
    PutU16(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}
inline Bytes NameData(const std::string& s) {
    Bytes b;
    PutName(b, s);
    return b;
}
inline Bytes U16Data(std::uint32_t v) {
    Bytes b;
    PutU16(b, v);
    return b;
}
inline Bytes VectorData(float x, float y, float z) {
    Bytes b;
    PutF32(b, x), PutF32(b, y), PutF32(b, z);
    return b;
}

class Lwob {
public:
    // A chunk with the length field set to data.size(), or to length when given.
    Lwob& Chunk(const char* id, const Bytes& data, long long length = -1) {
        PutId(body_, id);
        PutU32(body_, static_cast<std::uint32_t>(length < 0 ? data.size() : length));
        body_.insert(body_.end(), data.begin(), data.end());
        return *this;
    }
    Lwob& Points(std::initializer_list<float> xyz) {
        Bytes d;
        for (float f : xyz) PutF32(d, f);
        return Chunk("PNTS", d);
    }
    Lwob& Surfaces(std::initializer_list<std::string> names) {
        Bytes d;
        for (const std::string& n : names) PutName(d, n);
        return Chunk("SRFS", d);
    }
    // Each polygon: its corners, then its surface number (as a signed 16-bit value).
    Lwob& Polygons(std::initializer_list<std::vector<int>> polygons) {
        Bytes d;
        for (const std::vector<int>& p : polygons) {
            PutU16(d, static_cast<std::uint32_t>(p.size() - 1));
            for (std::size_t i = 0; i + 1 < p.size(); ++i) PutU16(d, static_cast<std::uint32_t>(p[i]));
            PutU16(d, static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.back())));
        }
        return Chunk("POLS", d);
    }
    Lwob& Surface(const std::string& name, std::initializer_list<Bytes> subs) {
        Bytes d;
        PutName(d, name);
        for (const Bytes& s : subs) d.insert(d.end(), s.begin(), s.end());
        return Chunk("SURF", d);
    }
    Bytes Build(const char* form = "LWOB") const {
        Bytes b;
        PutId(b, "FORM");
        PutU32(b, static_cast<std::uint32_t>(body_.size() + 4));
        PutId(b, form);
        b.insert(b.end(), body_.begin(), body_.end());
        return b;
    }

private:
    Bytes body_;
};

// A unit square in the z = 0 plane as one quad, corners (0,0) (1,0) (1,1) (0,1), surface 1.
inline Lwob SquareObject(const std::string& surface) {
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}).Surfaces({surface}).Polygons({{0, 1, 2, 3, 1}});
    return o;
}

// A 1 x 1 run-length TGA, enough for the texture manager to accept the name.
inline Bytes TinyTga() {
    // Type 10, 1 x 1, 24 bits, then one run packet of one blue, green, red pixel.
    return Bytes{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 0x80, 10, 20, 30};
}

// A scratch folder per test, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("cm_lw_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" + std::to_string(getpid()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        const std::filesystem::path p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    std::string Write(const std::string& name, const std::string& text) const {
        return Write(name, Bytes(text.begin(), text.end()));
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The number n of a generated item name "lightwave_<kind>_n", or -1.
inline int ItemNumber(const std::string& name, const std::string& kind) {
    const std::string prefix = "lightwave_" + kind + "_";
    if (name.rfind(prefix, 0) != 0) return -1;
    return std::stoi(name.substr(prefix.size()));
}

}  // namespace cm::test
