// The timeline with a clock driven by hand: events, part changes, the flash, the first frame.
#include "ShowHarness.h"

#include "app/DemoClock.h"
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "display/ScreenVertex.h"
#include "parts/IntroScene.h"
#include "parts/RoomScene.h"
#include "platform/device/Device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace cm::test {
namespace {

class ShowTimeline : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sink = new MemorySink();
        show = new Show();
        ASSERT_TRUE(show->InitShow(HeadlessSetup(sink))) << "the show's data must be in the working folder";
        show->BuildTimeline();
    }
    static void TearDownTestSuite() {
        delete show;
        delete sink;
        show = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(show, nullptr);
        show->ResetShow();
    }
    // Ticks until the clock has reached time, without a frame in between.
    static void TickTo(float time) {
        while (show->GetClock()->GetTime() < time) show->TickClock();
    }

    static Show* show;
    static MemorySink* sink;
};
Show* ShowTimeline::show = nullptr;
MemorySink* ShowTimeline::sink = nullptr;

TEST_F(ShowTimeline, FirstFrameHasNoDeltaAndEachEventMovesOnOnce) {
    EXPECT_EQ(show->GetClock()->GetEventCount(), 8);
    show->TickClock(5);  // ticks before the first frame's Update belong to the first delta
    EXPECT_EQ(show->GetClock()->GetFrameDelta(), 0.0f);
    show->FrameStep();
    EXPECT_EQ(show->GetLastDrawnPart(), 0);
    EXPECT_EQ(show->GetIntro()->GetTime(), 0.0f);  // drawn with delta 0
    show->FrameStep();
    EXPECT_FLOAT_EQ(show->GetIntro()->GetTime(), 0.5f);

    TickTo(99.5f);
    show->FrameStep();
    EXPECT_EQ(show->GetSequenceIndex(), 0);
    EXPECT_FALSE(show->IsFlashActive());
    TickTo(100.0f);
    show->FrameStep();  // the intro's last frame; its Update fires the event
    EXPECT_EQ(show->GetLastDrawnPart(), 0);
    EXPECT_EQ(show->GetSequenceIndex(), 1);
    EXPECT_TRUE(show->IsFlashActive());
    EXPECT_FLOAT_EQ(show->GetFlashLevel(), 0.7f);
    // The event does not fire again while time passes on.
    for (int i = 0; i < 5; ++i) {
        show->TickClock();
        show->FrameStep();
        EXPECT_EQ(show->GetLastDrawnPart(), 1);
    }
    EXPECT_EQ(show->GetSequenceIndex(), 1);
}

TEST_F(ShowTimeline, TwoEventsInOneFrameAdvanceTwiceAndCapTheFlash) {
    show->FrameStep();
    TickTo(212.0f);  // 100 and 212 both due at the next Update
    show->FrameStep();
    EXPECT_EQ(show->GetLastDrawnPart(), 0);
    EXPECT_EQ(show->GetSequenceIndex(), 2);
    EXPECT_FLOAT_EQ(show->GetFlashLevel(), 1.0f);
    show->FrameStep();
    EXPECT_EQ(show->GetLastDrawnPart(), 2);  // the tunnel was skipped
}

TEST_F(ShowTimeline, FlashStartsFromWhatIsLeftAndFadesOutOverTime) {
    show->SetFlashLevel(0.5f);
    show->TriggerFlash();
    EXPECT_FLOAT_EQ(show->GetFlashLevel(), 1.0f);
    show->SetFlashLevel(0.2f);
    show->TriggerFlash();
    EXPECT_FLOAT_EQ(show->GetFlashLevel(), 0.9f);
    EXPECT_EQ(show->GetSequenceIndex(), 2);

    // Fading at 0.07 a clock unit: the first frame still has delta 0, 13 frames of one unit
    // bring 0.9 below zero, and one more switches it off (drawn once more at level 0), leaving
    // a small negative remainder.
    show->FrameStep();
    int frames = 0;
    while (show->IsFlashActive() && frames < 100) {
        show->TickClock(10);
        show->FrameStep();
        ++frames;
    }
    EXPECT_EQ(frames, 15);
    EXPECT_LT(show->GetFlashLevel(), 0.0f);
    EXPECT_GT(show->GetFlashLevel(), -0.0701f);
    // The next flash starts from that remainder.
    const float remainder = show->GetFlashLevel();
    show->TriggerFlash();
    EXPECT_FLOAT_EQ(show->GetFlashLevel(), remainder + 0.7f);
}

TEST_F(ShowTimeline, FlashQuadAddsItsGreyOverTheWholeScreen) {
    Device* device = GetDevice();
    device->GetCallRecord().Enable(true);
    device->GetCallRecord().Clear();
    show->SetFlashLevel(0.5f);
    show->DrawFlash();
    device->GetCallRecord().Enable(false);
    const auto& calls = device->GetCallRecord().Calls();
    const DeviceCall* fan = nullptr;
    bool unbound = false;
    for (const DeviceCall& call : calls) {
        if (call.method == DeviceMethod::SetTexture && call.a == 0 && call.pointer == nullptr) unbound = true;
        if (call.method == DeviceMethod::DrawPrimitive) fan = &call;
    }
    EXPECT_TRUE(unbound);
    ASSERT_NE(fan, nullptr);
    EXPECT_EQ(fan->a, uint32_t(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(fan->b, kFvfScreenVertex);
    ASSERT_EQ(fan->vertices.size(), 4 * sizeof(ScreenVertex));
    ScreenVertex v[4];
    std::memcpy(v, fan->vertices.data(), sizeof v);
    EXPECT_EQ(v[0].diffuse, 0xFF7F7F7Fu);  // 0.5 * 255 truncated
    EXPECT_EQ(v[2].x, 640.0f);
    EXPECT_EQ(v[2].y, 480.0f);
    EXPECT_EQ(calls.back().method, DeviceMethod::EndScene);

    // On a black frame the flash adds exactly its grey.
    show->GetDisplay()->BeginFrame(Color4(0, 0, 0, 1));
    show->DrawFlash();
    show->GetDisplay()->Present();
    ASSERT_FALSE(sink->frame.empty());
    EXPECT_EQ(sink->frame[240 * 640 + 320] & 0xFFFFFFu, 0x7F7F7Fu);
}

TEST_F(ShowTimeline, RoomPartsRestartTheirStretchOnTheirFirstFrame) {
    show->FrameStep();
    TickTo(212.0f);
    show->FrameStep();
    show->FrameStep();  // the first room frame
    EXPECT_EQ(show->GetLastDrawnPart(), 2);
    const float roomTime = show->GetRoom()->GetTime();
    EXPECT_GT(roomTime, 0.0f);
    TickTo(455.0f);
    show->FrameStep();
    EXPECT_EQ(show->GetSequenceIndex(), 4);
    const float dt = show->GetClock()->GetFrameDelta();
    show->FrameStep();  // index 4's first frame starts again from t = 0
    EXPECT_EQ(show->GetLastDrawnPart(), 4);
    EXPECT_FLOAT_EQ(show->GetRoom()->GetTime(), dt);
}

}  // namespace
}  // namespace cm::test
