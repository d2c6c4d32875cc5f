// The music never touches the pictures: the whole show with its music playing through the audio
// library, and again with no audio library to be found, must present the same frames, and the
// second run must load no library and no module.
#include "ShowHarness.h"

#include "common/Fnv1a.h"

#include "resources/AudioLibrary.h"
#include "resources/MusicPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace cm::test {
namespace {

struct MusicRun {
    int code = -1;
    std::vector<uint64_t> frameHashes;
    bool libraryLoaded = false;
    uint32_t module = 0;
};

// The whole show at 10 frames a second with the music switched on.
MusicRun RunWithMusic() {
    MusicRun run;
    MemorySink sink;
    Show show;
    ShowSetup setup = HeadlessSetup(&sink);
    setup.options.noSound = 0;
    int64_t frame = 0;
    run.code = RunShow(show, setup, [&](Show& s) {
        if (frame == 0) {
            run.libraryLoaded = AudioLibrary::IsLibraryLoaded();
            run.module = s.GetMusic() != nullptr ? s.GetMusic()->GetModule() : 0;
        }
        run.frameHashes.push_back(Fnv1a64(sink.frame.data(), sink.frame.size() * sizeof(uint32_t)));
        ++frame;
        s.TickClock(TicksBefore(frame, 10) - TicksBefore(frame - 1, 10));
    });
    return run;
}

TEST(SilentShow, WithoutTheAudioLibraryTheShowIsSilentAndDrawsTheSameFrames) {
    // No sound card is needed: the library's output goes to SDL's dummy device.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    const MusicRun withMusic = RunWithMusic();
    AudioLibrary::SetLibraryName("libcoldmeridian-audio-not-here.so");
    const MusicRun silent = RunWithMusic();
    AudioLibrary::SetLibraryName(kAudioLibraryName);
    ::unsetenv("SDL_AUDIODRIVER");

    EXPECT_EQ(withMusic.code, 0);
    EXPECT_TRUE(withMusic.libraryLoaded);
    EXPECT_NE(withMusic.module, 0u);

    EXPECT_EQ(silent.code, 0);
    EXPECT_FALSE(silent.libraryLoaded);
    EXPECT_EQ(silent.module, 0u);
    EXPECT_FALSE(AudioLibrary::IsLibraryLoaded());

    // About 166 seconds at 10 frames a second.
    EXPECT_GT(withMusic.frameHashes.size(), 1500u);
    ASSERT_EQ(silent.frameHashes.size(), withMusic.frameHashes.size());
    size_t differing = 0;
    for (size_t i = 0; i < silent.frameHashes.size(); ++i) {
        if (silent.frameHashes[i] != withMusic.frameHashes[i]) ++differing;
    }
    EXPECT_EQ(differing, 0u);
}

}  // namespace
}  // namespace cm::test
