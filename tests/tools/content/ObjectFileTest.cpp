// Every generated object is well-formed IFF that any LightWave object reader walks without
// surprises, and its textured surfaces name a projection and an image the show has; the
// writers refuse what the readers could not survive.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "TestShow.h"

namespace cm::content::test {
namespace {

// Walks the chunks of [from, end) whose lengths have `lengthBytes` bytes: each must lie inside
// the container and have an even length (an odd one would need an IFF pad byte). SURF chunks
// are walked into, past their padded name. Returns false at the first chunk that breaks out.
bool WalkChunks(const std::vector<uint8_t>& b, size_t from, size_t end, int lengthBytes) {
    for (size_t at = from; at < end;) {
        const size_t data = at + 4 + size_t(lengthBytes);
        if (data > end) {
            ADD_FAILURE() << "a chunk header runs past its container at " << at;
            return false;
        }
        const std::string id(b.begin() + long(at), b.begin() + long(at) + 4);
        const size_t len = lengthBytes == 4 ? Be32(b, at + 4) : Be16(b, at + 4);
        if (data + len > end) {
            ADD_FAILURE() << id << " runs past its container";
            return false;
        }
        EXPECT_EQ(len % 2, 0u) << id << " has an odd length";
        if (id == "SURF") {
            const size_t name = strnlen(reinterpret_cast<const char*>(&b[data]), len);
            if (!WalkChunks(b, data + ((name + 2) & ~size_t(1)), data + len, 2)) return false;
        }
        at = data + len;
    }
    return true;
}

TEST(ObjectFiles, AreWellFormedIffWithTexturesTheShowHas) {
    for (const auto& [name, object] : Show().objects) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t>& b = Show().files.at(name);
        ASSERT_GE(b.size(), 12u);
        EXPECT_EQ(std::memcmp(b.data(), "FORM", 4), 0);
        EXPECT_EQ(std::memcmp(&b[8], "LWOB", 4), 0);
        EXPECT_EQ(Be32(b, 4), b.size() - 8) << "FORM length";
        EXPECT_TRUE(WalkChunks(b, 12, b.size(), 4));
        for (const LwoSurfaceDef& s : object.Surfaces()) {
            if (!s.textured) continue;
            const std::string& kind = s.colourMap.projection;
            EXPECT_TRUE(kind == "Planar Image Map" || kind == "Spherical Image Map" ||
                        kind == "Cylindrical Image Map" || kind == "Cubic Image Map")
                << kind;
            const int axis = s.colourMap.axisFlags & 7;
            EXPECT_TRUE(axis == kAxisX || axis == kAxisY || axis == kAxisZ) << s.name << ": not exactly one axis";
            EXPECT_TRUE(Show().files.count(s.colourMap.image)) << "missing image " << s.colourMap.image;
        }
    }
}

TEST(ObjectFiles, WritersRefuseWhatTheReadersCouldNotSurvive) {
    LwoSurfaceDef surface;
    surface.name = std::string(1, 'S');
    // A corner past the single point; a surface number past the single surface.
    for (const auto& [corner, number] : {std::pair{1u, uint16_t(1)}, std::pair{0u, uint16_t(2)}}) {
        LwoWriter w;
        w.AddPoint(Vector3(0, 0, 0));
        w.AddSurface(surface);
        w.AddTriangle(0, 0, corner, number);
        EXPECT_THROW(w.Serialize(), std::logic_error) << corner << " " << number;
    }
    // A camera targeting an item that does not exist; an item without keys.
    LwsWriter link(0, 10);
    link.AddNull({PositionKey(0, 0, 0, 0)});
    link.AddCamera({PositionKey(0, 0, 0, -1)}, 3);
    EXPECT_THROW(link.Serialize(), std::logic_error);
    LwsWriter noKeys(0, 10);
    noKeys.AddNull({});
    EXPECT_THROW(noKeys.Serialize(), std::logic_error);
}

}  // namespace
}  // namespace cm::content::test
