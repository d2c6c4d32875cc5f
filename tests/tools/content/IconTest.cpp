// The program's icons: an RGBA PNG of each size the icon themes look for, a transparent corner
// around an opaque globe, and the same bytes on every build (pinned, as the show's files are).
#include <gtest/gtest.h>

#include <array>

#include "TestShow.h"
#include "common/Fnv1a.h"
#include "icons/Icon.h"
#include "icons/PngEncoder.h"

namespace cm::content::test {
namespace {

// Regenerate with: build/<dir>/bin/test_content --gtest_filter=Icons* and copy the printed lines.
const std::map<int, uint64_t> kPinnedIcons = {
    {16, 0x7107c0949c57d5a5ULL},  {22, 0xae0bae7aae2babf5ULL},  {24, 0x0b199017836b98ecULL},
    {32, 0x1e668808c8c23535ULL},  {48, 0xde12ae81d5a1ff6cULL},  {64, 0x912ed74e4ea838c8ULL},
    {128, 0x1949f3593ff45d93ULL}, {256, 0x6ee6de281f650fa0ULL},
};

TEST(Icons, EverySizeIsAnRgbaPngOfThatSideWithAPinnedHash) {
    const Image& backdrop = Show().images.at("data\\rotoball.jpg");
    std::string current;
    for (int size : kIconSizes) {
        const IconImage icon = DrawIcon(backdrop, size);
        const size_t corner = 3, centre = (size_t(size / 2) * size + size / 2) * 4 + 3;
        EXPECT_EQ(icon.rgba[corner], 0) << size;
        EXPECT_EQ(icon.rgba[centre], 255) << size;
        const std::vector<uint8_t> png = EncodePng(icon);
        ASSERT_GE(png.size(), 33u);
        // IHDR first: the side twice, 8 bits per channel, RGBA.
        EXPECT_EQ((std::array<uint32_t, 4>{Be32(png, 12), Be32(png, 16), Be32(png, 20), Be16(png, 24)}),
                  (std::array<uint32_t, 4>{0x49484452u, uint32_t(size), uint32_t(size), 0x0806u}))
            << size;
        const uint64_t hash = cm::test::Fnv1a64(png.data(), png.size());
        char line[64];
        std::snprintf(line, sizeof line, "    {%d, 0x%016llxULL},\n", size, static_cast<unsigned long long>(hash));
        current += line;
        const auto it = kPinnedIcons.find(size);
        EXPECT_TRUE(it != kPinnedIcons.end() && it->second == hash) << size << "x" << size << " changed";
    }
    if (HasFailure()) std::printf("Pinned icon hashes of this build:\n%s", current.c_str());
}

}  // namespace
}  // namespace cm::content::test
