// Seeking by simulation against playing: a frame drawn after a seek, backward or forward, has
// the bytes of the same frame of a run that drew every frame from the start, in every part and
// at every flash, for more than one spark seed and frame rate.
#include "ShowHarness.h"

#include "app/FrameClock.h"
#include "app/ShowSeek.h"
#include "common/Fnv1a.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace cm::test {
namespace {

uint64_t Fingerprint(const MemorySink& sink) { return Fnv1a64(sink.frame.data(), sink.frame.size() * 4); }

struct Played {
    std::map<int64_t, uint64_t> frames;  // fingerprints of the frames worth seeking to
    std::vector<int64_t> targets;        // each part's first frame (full flash), a fading one, its middle
    int64_t end = 0;                     // frames drawn
};

// Draws frames [0, end) as the recorder does at the clock's rate, from a restart.
Played Play(Show& show, MemorySink& sink, const FrameClock& clock, int64_t end) {
    Played p;
    show.RestartShow();
    std::vector<int64_t> starts;
    int32_t part = -1;
    int64_t k = 0;
    for (; k < end && show.GetQuitFlag() == 0; ++k) {
        show.FrameStep([&](Show& s) {
            if (s.GetLastDrawnPart() != part) starts.push_back(k);
            part = s.GetLastDrawnPart();
            const int64_t sinceStart = k - starts.back();
            if (sinceStart < 6 || k % 5 == 0) p.frames[k] = Fingerprint(sink);
            s.TickClock(int(clock.TicksAfter(k)));
        });
    }
    p.end = k;
    starts.push_back(k);
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
        const int64_t middle = (starts[i] + starts[i + 1]) / 2;
        p.targets.insert(p.targets.end(), {starts[i], starts[i] + 4, middle - middle % 5});
    }
    return p;
}

// Seeks to every target, the last first (a jump back over everything), then forward in turn.
void ExpectSeeksMatch(Show& show, MemorySink& sink, const FrameClock& clock, const Played& played) {
    std::vector<int64_t> order = played.targets;
    std::rotate(order.begin(), order.end() - 1, order.end());
    for (int64_t target : order) {
        ASSERT_EQ(SeekToFrame(show, clock, target), target);
        const uint64_t presented = sink.frames;
        show.FrameStep();
        ASSERT_EQ(sink.frames, presented + 1) << "simulated frames must not be presented";
        EXPECT_EQ(Fingerprint(sink), played.frames.at(target)) << "frame " << target;
    }
}

TEST(ShowSeek, EveryPartAndFlashEqualsTheFrameOfARunFromTheStart) {
    MemorySink sink;
    Show show;
    ASSERT_TRUE(show.InitShow(HeadlessSetup(&sink)));
    show.BuildTimeline();
    const FrameClock clock(FrameRate{10, 1});
    const Played played = Play(show, sink, clock, 1 << 30);
    ASSERT_EQ(played.targets.size(), size_t(3 * kPartCount));
    ExpectSeeksMatch(show, sink, clock, played);
    // A seek past the end stops where the show ends, with the quit flag up, as playing does.
    EXPECT_EQ(SeekToFrame(show, clock, played.end + 100), played.end);
    EXPECT_NE(show.GetQuitFlag(), 0);
}

TEST(ShowSeek, AnotherSeedAndFrameRateMatchToo) {
    MemorySink sink;
    Show show;
    ShowSetup setup = HeadlessSetup(&sink);
    setup.sparkSeed = 7u;
    ASSERT_TRUE(show.InitShow(setup));
    show.BuildTimeline();
    const FrameClock clock(FrameRate{30000, 1001});
    // Three seconds into the sparks, the part the seed changes.
    ExpectSeeksMatch(show, sink, clock, Play(show, sink, clock, clock.FirstFrameAtOrAfter(33.0)));
}

}  // namespace
}  // namespace cm::test
