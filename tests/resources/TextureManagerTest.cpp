#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/device/Device.h"
#include "platform/device/TextureSurface.h"
#include "platform/window/Window.h"  // DisplayDevice holds a unique_ptr<Window>
#include "resources/JpegDecoder.h"
#include "resources/TextureManager.h"
#include "resources/TgaBytes.h"
#include "resources/TgaDecoder.h"
#include "common/Files.h"
#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace cm {
namespace {

// A headless display (for the device and the screen vertex buffer) and a scratch folder of
// image files named by absolute paths.
class TextureManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(display_.CreateHeadless(640, 480, 0, "test", nullptr)); }
    void TearDown() override { display_.Destroy(); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) { return dir_.Write(name, bytes); }
    static std::vector<uint8_t> Real(const std::string& relative) { return test::SampleBytes(relative); }
    static std::vector<uint32_t> Texels(const Texture* texture) {
        const TextureSurface* s = texture->GetSurface();
        return {s->GetTexels(), s->GetTexels() + size_t{s->GetWidth()} * s->GetHeight()};
    }

    DisplayDevice display_;
    test::ScratchDir dir_;
    TextureManager manager_;
};

TEST_F(TextureManagerTest, ExtensionsPickTheDecoderAndNamesAreLoadedOnce) {
    const std::vector<uint8_t> jpeg = Real("jpg/testorig.jpg");
    const std::string upper = Write("a/LOGO.JPG", jpeg);
    const std::string tga = Write("a/sky.Tga", Real("tga/200x32_rgb_bl_rle.tga"));

    EXPECT_EQ(manager_.Load(nullptr), nullptr);
    EXPECT_EQ(manager_.Load(Write("a/logo.jpeg", jpeg).c_str()), nullptr);
    EXPECT_EQ(manager_.Load(Write("a/logo.png", jpeg).c_str()), nullptr);
    EXPECT_EQ(manager_.Load(dir_.Path("missing.jpg").c_str()), nullptr);
    EXPECT_EQ(manager_.GetCount(), 0);

    Texture* logo = manager_.Load(upper.c_str());
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(std::pair(logo->GetWidth(), logo->GetHeight()), std::pair(227u, 149u));
    Texture* sky = manager_.Load(tga.c_str());
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(manager_.GetCount(), 2);
    DecodedImage picture, strip;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(jpeg, picture, error) && DecodeTga(Real("tga/200x32_rgb_bl_rle.tga"), strip, error));
    EXPECT_TRUE(Texels(logo) == picture.pixels && Texels(sky) == strip.pixels) << "the texels hold the decoded images";

    // The second load of a name (in any case) is the first texture, without reading the file.
    std::filesystem::remove(upper);
    std::string otherCase = upper;
    otherCase.replace(otherCase.size() - 8, 8, "logo.jpg");
    EXPECT_EQ(manager_.Load(upper.c_str()), logo);
    EXPECT_EQ(manager_.Load(otherCase.c_str()), logo);
    EXPECT_EQ(manager_.Find(otherCase.c_str()), logo);
    EXPECT_EQ(manager_.GetCount(), 2);

    // The same image under another directory is another name: decoded again.
    Texture* copy = manager_.Load(Write("b/LOGO.JPG", jpeg).c_str());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, logo);
    EXPECT_EQ(Texels(copy), Texels(logo));
    EXPECT_EQ(manager_.GetCount(), 3);
}

TEST_F(TextureManagerTest, RefusedImagesRegisterNothingAndAddTakesEachTextureOnce) {
    testing::internal::CaptureStderr();
    const std::string truncated = Write("cut.jpg", Real("jpg/truncated_jpeg.jpg"));
    EXPECT_EQ(manager_.Load(truncated.c_str()), nullptr);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("cut.jpg: Premature end of JPEG file"), std::string::npos) << message;

    EXPECT_EQ(manager_.Load(Write("raw.tga", Real("tga/200x32_rgb_bl_raw.tga")).c_str()), nullptr);
    EXPECT_EQ(manager_.Load(Write("empty.jpg", {}).c_str()), nullptr);
    EXPECT_EQ(manager_.GetCount(), 0);
    EXPECT_EQ(manager_.Find(truncated.c_str()), nullptr);

    // Too large for the device: a texture without surface.
    const std::string wide = Write("wide.tga", test::FlatTga(static_cast<int>(TextureSurface::kMaxSize) + 1, 1, 1, 2, 3));
    Texture* texture = manager_.Load(wide.c_str());
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetSurface(), nullptr);

    // Added by hand: each texture once, under its first name.
    auto* added = new Texture;
    EXPECT_FALSE(manager_.Add(nullptr, added));
    EXPECT_FALSE(manager_.Add("x", nullptr));
    ASSERT_TRUE(manager_.Add("x", added));
    EXPECT_FALSE(manager_.Add("y", added));  // one owner only
    EXPECT_TRUE(manager_.Add("x", new Texture));  // a second entry of one name: the first wins
    EXPECT_EQ(manager_.Find("X"), added);
    EXPECT_EQ(manager_.GetCount(), 3);
    EXPECT_FALSE(manager_.Upload(nullptr, nullptr));
    EXPECT_FALSE(manager_.Upload(added, nullptr));
}

TEST_F(TextureManagerTest, FullScreenQuadCoversTheTargetAndLeavesItsStates) {
    Texture* texture = manager_.Load(Write("flat.tga", test::FlatTga(8, 8, 0x40, 0x30, 0x20)).c_str());
    ASSERT_NE(texture, nullptr);
    Device* device = GetDevice();
    RenderTarget& target = device->GetRenderTarget();
    // Opaque, filtered: every pixel takes the texture's colour; additive on top: it doubles.
    for (auto [additive, colour] : {std::pair{0, 0x203040u}, std::pair{1, 0x406080u}}) {
        texture->DrawScreenQuad(0.0f, 0.0f, 640.0f, 480.0f, 1, additive);
        size_t wrong = 0;
        for (uint32_t pixel : target.color) wrong += (pixel & 0xFFFFFF) != colour;
        EXPECT_EQ(wrong, 0u) << additive;
    }
    // The depth test stays off after the draw, and the texture stays bound.
    uint32_t zEnable = 1;
    device->GetRenderState(D3DRENDERSTATE_ZENABLE, &zEnable);
    EXPECT_EQ(zEnable, D3DZB_FALSE);
    TextureSurface* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, texture->GetSurface());
}

}  // namespace
}  // namespace cm
