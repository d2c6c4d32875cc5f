// The player's keys on the show with its live timer and its music (SDL's dummy audio output):
// a pause holds the clock and the music, every jump sets the music to the time of the frame it
// lands on (to within one device buffer), part jumps land on a part's first frame, and the saved
// frame is the frame on screen without the status line.
#include "ShowHarness.h"

#include "common/ScratchDir.h"

#include "app/DemoClock.h"
#include "app/Player.h"
#include "app/PngFrameSaver.h"
#include "resources/MusicPlayer.h"
#include "resources/PngImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace cm::test {
namespace {

constexpr double kBufferSeconds = 1024.0 / 44100.0;

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ShowSetup setup = HeadlessSetup(&sink);
        setup.options.noSound = 0;
        setup.runTimer = true;
        ASSERT_TRUE(show.InitShow(setup));
        show.BuildTimeline();
        show.ResetShow();
        ASSERT_NE(show.GetMusic(), nullptr);
        ASSERT_NE(show.GetMusic()->GetModule(), 0u) << "the module did not load";
        player = std::make_unique<Player>(show, PngFrameSaver(scratch.path.string()));
        player->Step();
    }
    double Music() const { return show.GetMusic()->GetPosition(); }
    void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    MemorySink sink;
    Show show;  // shut down by its destructor, after the player
    std::unique_ptr<Player> player;
    const FrameClock step{FrameRate{60, 1}};
    ScratchDir scratch;
};

TEST_F(PlayerTest, PauseHoldsClockAndMusicAndJumpsTakeTheMusicAlong) {
    player->HandleKey(kKeySpace);
    const float clock = show.GetClock()->GetTime();
    const double music = Music();
    Sleep(150);
    player->Step();
    EXPECT_EQ(show.GetClock()->GetTime(), clock);
    EXPECT_EQ(Music(), music);

    // Paused, a jump draws the frame it lands on and holds it, the music one frame on.
    const uint64_t presented = sink.frames;
    const int64_t target = step.FirstFrameAtOrAfter(player->ShowSeconds() + Player::kStepSeconds);
    player->HandleKey(kKeyRight);
    EXPECT_EQ(sink.frames, presented + 1);
    EXPECT_NEAR(Music(), step.SecondsAt(target + 1), 1e-3);
    EXPECT_NEAR(player->ShowSeconds(), step.SecondsAt(target), 0.015);

    player->HandleKey(kKeySpace);  // playing again: the music runs on from where it was set
    Sleep(100);
    EXPECT_GT(Music(), step.SecondsAt(target + 1));

    player->HandleKey(kKeyPageDown);  // from the intro to the tunnel's first frame
    EXPECT_NEAR(Music(), kPartChangeTimes[0] * kSecondsPerClockUnit, 1.0 / 60 + kBufferSeconds);
    player->Step();
    EXPECT_EQ(show.GetLastDrawnPart(), 1);
    EXPECT_TRUE(show.IsFlashActive());
    EXPECT_GT(show.GetFlashLevel(), 0.5f);

    const double before = player->ShowSeconds();
    player->HandleKey(kKeyLeft);
    EXPECT_NEAR(Music(), step.SecondsAt(step.FirstFrameAtOrAfter(before - Player::kStepSeconds)), kBufferSeconds);
    player->HandleKey(kKeyPageUp);
    player->Step();
    EXPECT_EQ(show.GetLastDrawnPart(), 0);
    player->HandleKey(kKeyHome);
    EXPECT_LE(Music(), kBufferSeconds);
}

TEST_F(PlayerTest, SavedFrameIsTheFrameOnScreenWithoutTheStatusLine) {
    player->HandleKey(kKeySpace);
    player->HandleKey(kKeyPageDown);  // a frame with more than black in it
    player->HandleKey(kKeyF12);
    ASSERT_FALSE(player->LastSavedFrame().empty());
    Image saved;
    ASSERT_TRUE(ReadPng(player->LastSavedFrame(), saved));
    ASSERT_EQ(saved.pixels.size(), sink.frame.size());
    for (size_t i = 0; i < saved.pixels.size(); ++i) ASSERT_EQ(saved.pixels[i] & 0xFFFFFF, sink.frame[i] & 0xFFFFFF) << i;

    player->HandleKey(kKeyF1);
    player->Step();
    EXPECT_NE(player->StatusLine().find("tunnel"), std::string::npos) << player->StatusLine();
    size_t changed = 0, changedBelow = 0;
    for (size_t i = 0; i < saved.pixels.size(); ++i) {
        if ((saved.pixels[i] & 0xFFFFFF) == (sink.frame[i] & 0xFFFFFF)) continue;
        ++changed;
        if (i / 640 >= 24) ++changedBelow;
    }
    EXPECT_GT(changed, 100u) << "the status line is drawn over the frame";
    EXPECT_EQ(changedBelow, 0u) << "and nowhere else";
    player->HandleKey(kKeyF12);  // a second save does not overwrite the first
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path), {}), 2);

    // A program folder that cannot be written (an installed program): the working folder.
    const std::filesystem::path here = std::filesystem::current_path();
    player.reset();
    player = std::make_unique<Player>(show, PngFrameSaver("/proc"));
    std::filesystem::current_path(scratch.path);
    player->Step();
    player->HandleKey(kKeyF12);
    std::filesystem::current_path(here);
    EXPECT_EQ(std::filesystem::path(player->LastSavedFrame()).parent_path(), scratch.path);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path), {}), 3);
}

}  // namespace
}  // namespace cm::test
