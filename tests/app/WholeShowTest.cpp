// The whole show, headless, with the clock ticked by hand as a 70 Hz timer would tick it while
// frames are shown at 60 a second: from the dialog's result to the quit flag.
#include "ShowHarness.h"

#include "app/DemoClock.h"
#include "display/DisplayDevice.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace cm::test {
namespace {

TEST(WholeShow, RunsEveryPartInOrderAndQuitsNearClockTime1161) {
    MemorySink sink;
    Show show;
    std::array<int, kPartCount> framesOfPart{};
    int64_t frame = 0;
    int32_t highestIndex = 0;
    bool indexFell = false;
    float quitClock = -1.0f;
    std::array<float, kPartCount> firstClockOfPart;
    firstClockOfPart.fill(-1.0f);

    const int code = RunShow(show, HeadlessSetup(&sink), [&](Show& s) {
        const int32_t part = s.GetLastDrawnPart();
        if (part >= 0) {
            if (framesOfPart[size_t(part)] == 0) firstClockOfPart[size_t(part)] = s.GetClock()->GetTime();
            ++framesOfPart[size_t(part)];
        }
        if (s.GetSequenceIndex() < highestIndex) indexFell = true;
        if (s.GetSequenceIndex() > highestIndex) highestIndex = s.GetSequenceIndex();
        if (s.GetQuitFlag() != 0 && quitClock < 0.0f) quitClock = s.GetClock()->GetTime();
        ++frame;
        s.TickClock(TicksBefore(frame, 60) - TicksBefore(frame - 1, 60));
    });

    EXPECT_EQ(code, 0);
    EXPECT_FALSE(indexFell);
    EXPECT_EQ(highestIndex, 8);
    for (int i = 0; i < kPartCount; ++i) EXPECT_GT(framesOfPart[size_t(i)], 0) << "part " << i << " never drawn";
    // Each part starts on the frame after its event's time has passed.
    for (int i = 1; i < kPartCount; ++i) {
        EXPECT_GE(firstClockOfPart[size_t(i)], kPartChangeTimes[i - 1]) << "part " << i;
        EXPECT_LT(firstClockOfPart[size_t(i)], kPartChangeTimes[i - 1] + 0.5f) << "part " << i;
    }
    // The scroller leaves at 4 pixels a clock unit from 480 to -960: 360 units after 801.
    EXPECT_NEAR(quitClock, 1161.0f, 1.0f);
    // Every frame was presented, the last one included (the first present is the display's own
    // blank frame at creation).
    EXPECT_EQ(int64_t(sink.frames), frame + 1);
}

TEST(WholeShow, EscapeEndsTheRunAfterThatFrameIsPresented) {
    MemorySink sink;
    Show show;
    int64_t frame = 0;
    const int code = RunShow(show, HeadlessSetup(&sink), [&](Show& s) {
        ++frame;
        s.TickClock(TicksBefore(frame, 60) - TicksBefore(frame - 1, 60));
        // Escape in the middle of the tunnel.
        if (frame == 1400) s.GetDisplay()->KeyDown(kVirtualKeyEscape);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(frame, 1400);
    EXPECT_EQ(show.GetDisplay(), nullptr);  // shut down
}

}  // namespace
}  // namespace cm::test
