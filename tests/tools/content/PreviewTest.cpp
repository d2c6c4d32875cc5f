// Each part of the show, previewed from the generated content at its own numbers, shows
// something and does not wash out: catches a camera looking away, objects lost in fog or behind
// the near plane, and additive layers that add up to a white screen.
#include <gtest/gtest.h>

#include "TestShow.h"
#include "preview/ShowPreview.h"

namespace cm::content::test {
namespace {

TEST(PartPreviews, ShowStructureWithoutWashingOut) {
    const float lengths[9] = {100, 112, 175, 68, 70, 125, 85, 66, 360};
    for (int part = 0; part < 9; ++part)
        for (float at : {0.25f, 0.5f, 0.75f}) {
            SCOPED_TRACE(testing::Message() << "part " << part << " at " << at);
            const std::vector<uint8_t> rgb = PreviewPart(Show(), part, lengths[part] * at).ToBytes();
            size_t lit = 0, white = 0;
            for (size_t i = 0; i < rgb.size(); i += 3) {
                const int sum = rgb[i] + rgb[i + 1] + rgb[i + 2];
                lit += sum > 60;
                white += sum > 740;
            }
            const double pixels = double(rgb.size() / 3);
            EXPECT_GT(double(lit) / pixels, 0.01) << "almost nothing visible";
            EXPECT_LT(double(white) / pixels, 0.25) << "washed out to white";
        }
}

}  // namespace
}  // namespace cm::content::test
