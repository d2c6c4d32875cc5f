// Every generated object is well-formed IFF that the show's object reader (and other LightWave
// readers) walk without surprises, and holds what its scene relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "TestShow.h"

namespace cm::content::test {
namespace {

// Reads an S0 name at `at` within [at, end): the name and the padded length it occupies.
bool ReadS0(const std::vector<uint8_t>& b, size_t at, size_t end, std::string& name, size_t& used) {
    size_t nul = at;
    while (nul < end && b[nul] != 0) ++nul;
    if (nul >= end) return false;
    name.assign(reinterpret_cast<const char*>(&b[at]), nul - at);
    used = (nul - at + 1 + 1) & ~size_t(1);
    return at + used <= end;
}

// Walks the file the way the object reader does, but checks every length against the file, and
// collects what the reader would build.
struct Walked {
    uint32_t points = 0;
    std::vector<std::string> surfaces;
    std::vector<std::string> images;
    uint32_t polygons = 0;
};

Walked WalkLwob(const std::string& name, const std::vector<uint8_t>& b) {
    SCOPED_TRACE(name);
    Walked w;
    if (b.size() < 12 || std::memcmp(b.data(), "FORM", 4) != 0 || std::memcmp(&b[8], "LWOB", 4) != 0)
        throw std::runtime_error("not an LWOB form");
    EXPECT_EQ(Be32(b, 4), b.size() - 8) << "FORM length";
    size_t at = 12;
    while (at < b.size()) {
        if (at + 8 > b.size()) throw std::runtime_error("chunk header past the end");
        const std::string id(reinterpret_cast<const char*>(&b[at]), 4);
        const size_t len = Be32(b, at + 4), data = at + 8, end = data + len;
        if (end > b.size()) throw std::runtime_error(id + " runs past the end");
        EXPECT_EQ(len % 2, 0u) << id << " has an odd length (would need an IFF pad byte)";
        if (id == "PNTS") {
            EXPECT_EQ(len % 12, 0u);
            w.points = uint32_t(len / 12);
        } else if (id == "SRFS") {
            for (size_t p = data; p < end;) {
                std::string s;
                size_t used;
                if (!ReadS0(b, p, end, s, used)) throw std::runtime_error("SRFS name not terminated");
                w.surfaces.push_back(s);
                p += used;
            }
        } else if (id == "POLS") {
            for (size_t p = data; p < end;) {
                const uint16_t n = Be16(b, p);
                EXPECT_EQ(n, 3) << "polygon " << w.polygons;
                if (p + 2 + 2 * size_t(n) + 2 > end) throw std::runtime_error("polygon past POLS end");
                for (uint16_t i = 0; i < n; ++i) EXPECT_LT(Be16(b, p + 2 + 2 * i), w.points) << "index";
                const uint16_t surface = Be16(b, p + 2 + 2 * size_t(n));
                EXPECT_GE(surface, 1);
                EXPECT_LE(surface, w.surfaces.size());
                p += 2 + 2 * size_t(n) + 2;
                ++w.polygons;
            }
        } else if (id == "SURF") {
            std::string s;
            size_t used;
            if (!ReadS0(b, data, end, s, used)) throw std::runtime_error("SURF name not terminated");
            EXPECT_NE(std::find(w.surfaces.begin(), w.surfaces.end(), s), w.surfaces.end()) << s;
            bool textureOpen = false;
            for (size_t p = data + used; p < end;) {
                if (p + 6 > end) throw std::runtime_error("sub-chunk header past SURF end");
                const std::string sub(reinterpret_cast<const char*>(&b[p]), 4);
                const size_t slen = Be16(b, p + 4);
                if (p + 6 + slen > end) throw std::runtime_error(sub + " runs past SURF end");
                EXPECT_EQ(slen % 2, 0u) << sub;
                std::string text;
                size_t textUsed;
                if (sub == "CTEX") {
                    if (!ReadS0(b, p + 6, p + 6 + slen, text, textUsed)) throw std::runtime_error("bad CTEX");
                    EXPECT_TRUE(text == "Planar Image Map" || text == "Spherical Image Map" ||
                                text == "Cylindrical Image Map" || text == "Cubic Image Map")
                        << text;
                    textureOpen = true;
                } else if (sub == "TIMG") {
                    EXPECT_TRUE(textureOpen) << "TIMG before any texture is dropped by the reader";
                    if (!ReadS0(b, p + 6, p + 6 + slen, text, textUsed)) throw std::runtime_error("bad TIMG");
                    w.images.push_back(text);
                } else if (sub == "TFLG") {
                    const uint16_t axis = Be16(b, p + 6) & 7;
                    EXPECT_TRUE(axis == 1 || axis == 2 || axis == 4) << "exactly one axis bit";
                }
                p += 6 + slen;
            }
        }
        at = end;
    }
    EXPECT_EQ(at, b.size());
    return w;
}

TEST(ObjectFiles, AreWellFormedIffWithEveryReferenceResolved) {
    int objects = 0;
    for (const auto& [name, bytes] : Show().files) {
        if (!EndsWith(name, ".lwo")) continue;
        ++objects;
        SCOPED_TRACE(name);
        Walked w;
        ASSERT_NO_THROW(w = WalkLwob(name, bytes));
        EXPECT_GT(w.points, 0u);
        EXPECT_GT(w.polygons, 0u);
        for (const std::string& image : w.images) {
            EXPECT_TRUE(Show().files.count(image)) << "missing image " << image;
            EXPECT_TRUE(EndsWith(image, ".jpg") || EndsWith(image, ".tga")) << image;
        }
    }
    EXPECT_EQ(objects, 12);
}

TEST(ObjectFiles, NamesArePaddedToEvenLengthsAndSurfacesKeepTheirOrder) {
    LwoWriter w;
    w.AddPoint(Vector3(0, 0, 0));
    w.AddPoint(Vector3(1, 0, 0));
    w.AddPoint(Vector3(0, 1, 0));
    LwoSurfaceDef odd, even;
    odd.name = "ab";    // 2 characters + NUL = 3 bytes, padded to 4
    even.name = "abc";  // 3 characters + NUL = 4 bytes
    EXPECT_EQ(w.AddSurface(odd), 1);
    EXPECT_EQ(w.AddSurface(even), 2);
    w.AddTriangle(0, 1, 2, 2);
    const std::vector<uint8_t> b = w.Serialize();
    // FORM header, PNTS (8 + 36), then SRFS.
    const size_t srfs = 12 + 8 + 36;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(&b[srfs]), 4), "SRFS");
    EXPECT_EQ(Be32(b, srfs + 4), 8u);
    EXPECT_EQ(std::memcmp(&b[srfs + 8], "ab\0\0abc\0", 8), 0);
    const Walked walked = WalkLwob("small", b);
    EXPECT_EQ(walked.surfaces, (std::vector<std::string>{"ab", "abc"}));
    EXPECT_EQ(walked.polygons, 1u);
}

TEST(ObjectFiles, WriterRefusesWhatTheReaderCouldNotSurvive) {
    LwoWriter w;
    w.AddPoint(Vector3(0, 0, 0));
    LwoSurfaceDef s;
    s.name = "S";
    w.AddSurface(s);
    w.AddTriangle(0, 0, 1, 1);  // index 1 is past the single point
    EXPECT_THROW(w.Serialize(), std::logic_error);

    LwoWriter badSurface;
    badSurface.AddPoint(Vector3(0, 0, 0));
    badSurface.AddSurface(s);
    badSurface.AddTriangle(0, 0, 0, 2);
    EXPECT_THROW(badSurface.Serialize(), std::logic_error);
}

}  // namespace
}  // namespace cm::content::test
