// The timeline with a clock driven by hand: events, part changes, the flash, the first frame.
#include "ShowHarness.h"

#include "app/DemoClock.h"
#include "display/DisplayDevice.h"
#include "parts/IntroScene.h"
#include "parts/RoomScene.h"

#include <gtest/gtest.h>

namespace cm::test {
namespace {

class ShowTimeline : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(show.InitShow(HeadlessSetup(&sink))) << "the show's data must be in the working folder";
        show.BuildTimeline();
        show.ResetShow();
    }
    // Ticks until the clock has reached time, without a frame in between.
    void TickTo(float time) {
        while (show.GetClock()->GetTime() < time) show.TickClock();
    }

    MemorySink sink;
    Show show;
};

TEST_F(ShowTimeline, FirstFrameHasNoDeltaAndEachEventMovesOnOnce) {
    EXPECT_EQ(show.GetClock()->GetEventCount(), 8);
    show.TickClock(5);  // ticks before the first frame's Update belong to the first delta
    EXPECT_EQ(show.GetClock()->GetFrameDelta(), 0.0f);
    show.FrameStep();
    EXPECT_EQ(show.GetLastDrawnPart(), 0);
    EXPECT_EQ(show.GetIntro()->GetTime(), 0.0f);  // drawn with delta 0
    show.FrameStep();
    EXPECT_FLOAT_EQ(show.GetIntro()->GetTime(), 0.5f);

    TickTo(99.5f);
    show.FrameStep();
    EXPECT_EQ(show.GetSequenceIndex(), 0);
    EXPECT_FALSE(show.IsFlashActive());
    TickTo(100.0f);
    show.FrameStep();  // the intro's last frame; its Update fires the event
    EXPECT_EQ(std::pair(show.GetLastDrawnPart(), show.GetSequenceIndex()), std::pair(0, 1));
    EXPECT_TRUE(show.IsFlashActive());
    EXPECT_FLOAT_EQ(show.GetFlashLevel(), 0.7f);
    // The event does not fire again while time passes on.
    for (int i = 0; i < 5; ++i) {
        show.TickClock();
        show.FrameStep();
        EXPECT_EQ(show.GetLastDrawnPart(), 1);
    }
    EXPECT_EQ(show.GetSequenceIndex(), 1);
}

TEST_F(ShowTimeline, TwoEventsInOneFrameAdvanceTwiceAndCapTheFlashAndRoomPartsRestartTheirStretch) {
    show.FrameStep();
    TickTo(212.0f);  // 100 and 212 both due at the next Update
    show.FrameStep();
    EXPECT_EQ(std::pair(show.GetLastDrawnPart(), show.GetSequenceIndex()), std::pair(0, 2));
    EXPECT_FLOAT_EQ(show.GetFlashLevel(), 1.0f);
    show.FrameStep();
    EXPECT_EQ(show.GetLastDrawnPart(), 2);  // the tunnel was skipped
    EXPECT_GT(show.GetRoom()->GetTime(), 0.0f);
    TickTo(455.0f);
    show.FrameStep();
    EXPECT_EQ(show.GetSequenceIndex(), 4);
    const float dt = show.GetClock()->GetFrameDelta();
    show.FrameStep();  // index 4's first frame starts again from t = 0
    EXPECT_EQ(show.GetLastDrawnPart(), 4);
    EXPECT_FLOAT_EQ(show.GetRoom()->GetTime(), dt);
}

TEST_F(ShowTimeline, FlashStartsFromWhatIsLeftFadesOutOverTimeAndAddsItsGreyOverTheWholeScreen) {
    show.SetFlashLevel(0.2f);
    show.TriggerFlash();
    EXPECT_FLOAT_EQ(show.GetFlashLevel(), 0.9f);
    EXPECT_EQ(show.GetSequenceIndex(), 1);

    // Fading at 0.07 a clock unit: the first frame still has delta 0, 13 frames of one unit
    // bring 0.9 below zero, and one more switches it off (drawn once more at level 0), leaving
    // a small negative remainder.
    show.FrameStep();
    int frames = 0;
    while (show.IsFlashActive() && frames < 100) {
        show.TickClock(10);
        show.FrameStep();
        ++frames;
    }
    EXPECT_EQ(frames, 15);
    EXPECT_LT(show.GetFlashLevel(), 0.0f);
    EXPECT_GT(show.GetFlashLevel(), -0.0701f);
    // The next flash starts from that remainder.
    const float remainder = show.GetFlashLevel();
    show.TriggerFlash();
    EXPECT_FLOAT_EQ(show.GetFlashLevel(), remainder + 0.7f);

    // The quad: a grey frame of 0x33 plus a flash at 0.5 (0x7F, truncated) gives 0xB2
    // everywhere, corners included.
    show.SetFlashLevel(0.5f);
    show.GetDisplay()->BeginFrame(Color4(0.2f, 0.2f, 0.2f, 1.0f));
    show.DrawFlash();
    show.GetDisplay()->Present();
    ASSERT_EQ(sink.frame.size(), size_t(640 * 480));
    for (size_t at : {size_t(0), size_t(240 * 640 + 320), size_t(480 * 640 - 1)}) {
        EXPECT_EQ(sink.frame[at] & 0xFFFFFFu, 0xB2B2B2u) << at;
    }
}

}  // namespace
}  // namespace cm::test
