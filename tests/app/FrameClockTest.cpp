// Frame-to-tick and frame-to-sample arithmetic: whole recordings of the show at common rates
// keep the clock and the music on real time, frame by frame, with no accumulated error.
#include "app/FrameClock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cm {
namespace {

// Frames in 170 s, a little more than the whole show.
int64_t ShowFrames(FrameRate r) { return int64_t(170) * r.num / r.den + 1; }

TEST(FrameClock, TicksAndSamplesFollowRealTimeWithoutDriftAndFramesStartOnTheirBoundaries) {
    for (const FrameRate r : {FrameRate{60, 1}, FrameRate{50, 1}, FrameRate{30000, 1001}}) {
        const FrameClock clock(r);
        int64_t total = 0;
        for (int64_t n = 0; n < ShowFrames(r); ++n) {
            // The clock before frame n is the whole number of 14 ms periods in n * D / N s,
            // computed here in long double, independently of the integer arithmetic.
            const long double exact = (long double)n * r.den * 1000 / ((long double)r.num * 14);
            ASSERT_EQ(total, (int64_t)std::floor(exact + 1e-9L)) << r.num << "/" << r.den << " frame " << n;
            total += clock.TicksAfter(n);
        }
    }
    // Beyond the loop, where frame time and tick time meet exactly: 1001 s is 71500 ticks.
    const FrameClock c60({60, 1}), ntsc({30000, 1001});
    EXPECT_EQ(ntsc.TicksAt(30000), 71500);
    EXPECT_EQ(ntsc.TicksAt(29999), 71497);  // 2.38 ticks a frame

    // The first frame at or after a time is exact on frame boundaries (0.1 * 60 is
    // 6.000000000000001 in doubles).
    const std::pair<double, int64_t> at60[] = {{0.0, 0}, {-3.0, 0}, {0.5, 30}, {0.5000001, 31}, {0.1, 6}};
    for (const auto& [seconds, frame] : at60) EXPECT_EQ(c60.FirstFrameAtOrAfter(seconds), frame) << seconds;
    EXPECT_EQ(ntsc.FirstFrameAtOrAfter(1001.0), 30000);
    EXPECT_EQ(ntsc.FirstFrameAtOrAfter(1000.99), 30000);

    // Samples per frame add up exactly.
    int64_t sum = 0;
    for (int64_t n = 0; n < 30000; ++n) {
        const int64_t frameSamples = ntsc.SamplesAt(n + 1, 44100) - ntsc.SamplesAt(n, 44100);
        ASSERT_TRUE(frameSamples == 1471 || frameSamples == 1472) << n;  // 1471.47 a frame
        sum += frameSamples;
    }
    EXPECT_EQ(sum, int64_t(1001) * 44100);
    EXPECT_EQ(FrameClock({60, 1}).SamplesAt(9750, 48000), 7800000);
}

TEST(FrameClock, FrameRatesAreParsedOrRefused) {
    const FrameRate ntsc = ParseFrameRate("30000/1001").value_or(FrameRate{0, 0});
    EXPECT_EQ(std::pair(ntsc.num, ntsc.den), std::pair(30000u, 1001u));
    EXPECT_EQ(ParseFrameRate("25")->den, 1u);
    for (const char* bad : {"", "0", "60/0", "-60", "6O", "60/", "/2", "1e3", "1001", "2000/1", "99999999", "60/1/1", " 60"}) {
        EXPECT_FALSE(ParseFrameRate(bad)) << bad;
    }
}

}  // namespace
}  // namespace cm
