// The whole show at 10 frames a second, ticked as the recorder ticks it: played through RunShow
// with its music, played again with no audio library to be found, and sought frame by frame.
#include "ShowHarness.h"

#include "app/FrameClock.h"
#include "app/ShowSeek.h"
#include "common/Fnv1a.h"
#include "display/DisplayDevice.h"
#include "resources/AudioLibrary.h"
#include "resources/MusicPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace cm::test {
namespace {

const FrameClock kClock(FrameRate{10, 1});

uint64_t Fingerprint(const MemorySink& sink) { return Fnv1a64(sink.frame.data(), sink.frame.size() * 4); }

struct Played {
    int code = -1;
    bool library = false;          // the audio library was loaded
    uint32_t module = 0;
    std::vector<uint64_t> frames;  // fingerprint of every frame
    std::vector<int64_t> starts;   // each part's first frame
};

// Escape is pressed after frame escapeAt (never when negative).
Played Play(int64_t escapeAt) {
    Played p;
    MemorySink sink;
    Show show;
    ShowSetup setup = HeadlessSetup(&sink);
    setup.options.noSound = 0;
    int32_t part = -1;
    p.code = RunShow(show, setup, [&](Show& s) {
        const int64_t k = int64_t(p.frames.size());
        if (k == 0) {
            p.library = AudioLibrary::IsLibraryLoaded();
            p.module = s.GetMusic() != nullptr ? s.GetMusic()->GetModule() : 0;
        }
        if (s.GetLastDrawnPart() != part) p.starts.push_back(k);
        part = s.GetLastDrawnPart();
        p.frames.push_back(Fingerprint(sink));
        s.TickClock(int(kClock.TicksAfter(k)));
        if (k == escapeAt) s.GetDisplay()->KeyDown(kVirtualKeyEscape);
    });
    // The display presents a blank frame of its own at creation.
    EXPECT_EQ(sink.frames, p.frames.size() + 1) << "every frame is presented, the last one included";
    return p;
}

TEST(WholeShow, TheMusicChangesNoFrameAndEverySeekLandsOnThePlayedFrame) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    const Played played = Play(-1);
    ASSERT_EQ(played.code, 0);
    EXPECT_TRUE(played.library);
    EXPECT_NE(played.module, 0u);
    EXPECT_GT(played.frames.size(), 1600u);  // about 162 s
    ASSERT_EQ(played.starts.size(), size_t(kPartCount));

    // Silent, and the same frames; Escape ends the run after its frame, in the sparks.
    AudioLibrary::SetLibraryName("libcoldmeridian-audio-not-here.so");
    const Played silent = Play(300);
    AudioLibrary::SetLibraryName(kAudioLibraryName);
    EXPECT_EQ(std::tie(silent.code, silent.library, silent.module), std::make_tuple(0, false, 0u));
    ASSERT_EQ(silent.frames.size(), 301u);
    EXPECT_TRUE(std::equal(silent.frames.begin(), silent.frames.end(), played.frames.begin()));

    // Seeks from the show's end to each part's first frame (full flash), a fading one and its
    // middle: the last part's middle first, then forward in turn.
    const int64_t end = int64_t(played.frames.size());
    std::vector<int64_t> targets = {(played.starts.back() + end) / 2};
    for (size_t i = 0; i < played.starts.size(); ++i) {
        const int64_t next = i + 1 < played.starts.size() ? played.starts[i + 1] : end;
        targets.insert(targets.end(), {played.starts[i], played.starts[i] + 4, (played.starts[i] + next) / 2});
    }
    MemorySink sink;
    Show show;
    ASSERT_TRUE(show.InitShow(HeadlessSetup(&sink)));
    show.BuildTimeline();
    // A seek past the end stops where the show ends, with the quit flag up, as playing does.
    EXPECT_EQ(SeekToFrame(show, kClock, end + 100), end);
    EXPECT_NE(show.GetQuitFlag(), 0);
    for (const int64_t target : targets) {
        ASSERT_EQ(SeekToFrame(show, kClock, target), target);
        const uint64_t presented = sink.frames;
        show.FrameStep();
        ASSERT_EQ(sink.frames, presented + 1) << "simulated frames must not be presented";
        EXPECT_EQ(Fingerprint(sink), played.frames[size_t(target)]) << "frame " << target;
    }
}

}  // namespace
}  // namespace cm::test
