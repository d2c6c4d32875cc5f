// The real audio library, driven through the music player with SDL's dummy output driver, which
// consumes audio in real time without hardware. Its two test-only exports show what was sent to
// the device and render a module directly.
#include "common/Files.h"
#include "platform/audio/SharedLibrary.h"
#include "resources/MusicPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace cm {
namespace {

using RecentOutputFn = uint32_t (*)(float*, uint32_t);
using RenderMusicFn = uint32_t (*)(uint32_t, float*, uint32_t);

// The show's own module, generated beside the tests in the build's bin folder.
const char* const kShowModule = "kelvarin.xm";

float Peak(const std::vector<float>& samples, uint32_t frames) {
    float peak = 0.0f;
    for (size_t i = 0; i < size_t{frames} * 2; ++i) {
        if (!std::isfinite(samples[i])) return INFINITY;
        peak = std::max(peak, std::fabs(samples[i]));
    }
    return peak;
}

// A player on the real library with the given SDL driver, plus a handle for the test exports.
class RealLibrary : public ::testing::Test {
protected:
    void SetUp() override { Open("dummy"); }
    void Open(const char* driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        player_ = std::make_unique<MusicPlayer>();
        library_ = OpenSharedLibrary(kAudioLibraryName);
        recent_ = reinterpret_cast<RecentOutputFn>(FindSharedSymbol(library_, "ColdMeridianAudio_RecentOutput"));
        render_ = reinterpret_cast<RenderMusicFn>(FindSharedSymbol(library_, "ColdMeridianAudio_RenderMusic"));
    }
    void TearDown() override {
        player_.reset();
        CloseSharedLibrary(library_);
        EXPECT_EQ(AudioLibrary::GetUserCount(), 0);
    }
    float RecentPeak(uint32_t frames) {
        std::vector<float> samples(size_t{frames} * 2);
        return Peak(samples, recent_(samples.data(), frames));
    }

    std::unique_ptr<MusicPlayer> player_;
    void* library_ = nullptr;
    RecentOutputFn recent_ = nullptr;
    RenderMusicFn render_ = nullptr;
};

// Seeks and pauses on the real library are the show player's test (tests/app PlayerTest: a pause
// holds the music, a set position is where it plays from); here the impossible ones are refused.
TEST_F(RealLibrary, PlaysALoadedModuleOnTheDeviceOnlyAfterPlayAndRefusesImpossiblePositions) {
    ASSERT_TRUE(AudioLibrary::IsLibraryLoaded());
    ASSERT_NE(recent_, nullptr);
    ASSERT_TRUE(player_->Load(kShowModule));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(RecentPeak(4096), 0.0f);

    ASSERT_NE(player_->Play(), 0);
    float peak = 0.0f;
    for (int wait = 0; wait < 60 && peak < 0.01f; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        peak = RecentPeak(8192);
    }
    EXPECT_GE(peak, 0.01f);
    EXPECT_TRUE(std::isfinite(peak));
    for (const double seconds : {-1.0, 1e7, std::nan("")}) EXPECT_EQ(player_->SetPosition(seconds), 0) << seconds;

    EXPECT_NE(player_->Stop(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(RecentPeak(4096), 0.0f);  // stopped: the device gets silence again
}

// A module from elsewhere (the show's own plays in the test above), ten seconds straight from it
// in one-second pieces.
TEST_F(RealLibrary, AnotherRealModuleLoadsAndRendersSound) {
    ASSERT_NE(render_, nullptr);
    ASSERT_TRUE(player_->Load(test::SamplePath("xm/test.xm").c_str()));
    std::vector<float> samples(44100 * 2);
    float peak = 0.0f;
    for (int second = 0; second < 10; ++second) {
        const uint32_t frames = render_(player_->GetModule(), samples.data(), 44100);
        ASSERT_EQ(frames, 44100u);  // looping: never runs out
        peak = std::max(peak, Peak(samples, frames));
    }
    EXPECT_GE(peak, 0.01f);
    EXPECT_TRUE(std::isfinite(peak));
}

TEST_F(RealLibrary, RefusesNonModulesAndWithoutADeviceIsSilent) {
    EXPECT_FALSE(player_->Load(test::SamplePath("jpg/flower.jpg").c_str()));
    EXPECT_FALSE(player_->Load("no-such-module.xm"));
    EXPECT_EQ(player_->GetModule(), 0u);
    EXPECT_EQ(player_->Play(), 0);
    player_.reset();
    CloseSharedLibrary(library_);
    Open("no-such-driver");
    EXPECT_TRUE(AudioLibrary::IsLibraryLoaded());
    EXPECT_FALSE(player_->Load(kShowModule));
}

}  // namespace
}  // namespace cm
