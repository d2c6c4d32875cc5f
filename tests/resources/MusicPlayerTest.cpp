#include "platform/audio/SharedLibrary.h"
#include "resources/MusicPlayer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace cm {
namespace {

// Holds its own reference to a stand-in library, so that its call log outlives the players'
// unloading of it, and points the players at it.
class Standin {
public:
    explicit Standin(const char* path) : handle_(OpenSharedLibrary(path)) {
        log_ = reinterpret_cast<const char* (*)()>(FindSharedSymbol(handle_, "Standin_Log"));
        EXPECT_NE(log_, nullptr) << path;
        auto reset = reinterpret_cast<void (*)()>(FindSharedSymbol(handle_, "Standin_Reset"));
        if (reset != nullptr) reset();
        AudioLibrary::SetLibraryName(path);
    }
    ~Standin() {
        AudioLibrary::SetLibraryName(kAudioLibraryName);
        CloseSharedLibrary(handle_);
    }
    // The calls made since the previous Calls(), separated by spaces.
    std::string Calls() {
        const std::string all = log_ ? log_() : "";
        std::string fresh = all.substr(std::min(seen_, all.size()));
        seen_ = all.size();
        if (!fresh.empty() && fresh.front() == ' ') fresh.erase(0, 1);
        return fresh;
    }

private:
    void* handle_;
    const char* (*log_)() = nullptr;
    size_t seen_ = 0;
};

TEST(MusicPlayer, WithoutTheLibraryEverythingFailsQuietly) {
    AudioLibrary::SetLibraryName("/nonexistent/libno-audio.so");
    {
        MusicPlayer player;
        EXPECT_FALSE(AudioLibrary::IsLibraryLoaded());
        EXPECT_EQ(AudioLibrary::GetUserCount(), 1);
        EXPECT_FALSE(player.Load("kelvarin.xm"));
        EXPECT_EQ(player.Play(), 0);
        EXPECT_EQ(player.Stop(), 0);
    }
    EXPECT_EQ(AudioLibrary::GetUserCount(), 0);
    AudioLibrary::SetLibraryName(kAudioLibraryName);
}

TEST(MusicPlayer, PlayersShareOneInitialisedLibrary) {
    Standin standin(CM_STANDIN_FULL);
    auto first = std::make_unique<MusicPlayer>();
    EXPECT_EQ(standin.Calls(), "Init(-1,44100,0) Start");
    auto second = std::make_unique<MusicPlayer>();
    EXPECT_EQ(standin.Calls(), "");
    EXPECT_EQ(AudioLibrary::GetUserCount(), 2);

    // Destroying one of two leaves the library running, then the last one shuts it down.
    first.reset();
    EXPECT_EQ(standin.Calls(), "");
    EXPECT_TRUE(AudioLibrary::IsLibraryLoaded());
    second.reset();
    EXPECT_EQ(standin.Calls(), "Stop Free");
    EXPECT_FALSE(AudioLibrary::IsLibraryLoaded());

    // A later player loads and initialises it afresh.
    { MusicPlayer again; }
    EXPECT_EQ(standin.Calls(), "Init(-1,44100,0) Start Stop Free");
}

TEST(MusicPlayer, LoadReplacesTheModuleOnlyWhenTheNewOneLoadsAndFreesItEvenWithoutChannelStop) {
    Standin standin(CM_STANDIN_FULL);
    {
        MusicPlayer player;
        standin.Calls();
        EXPECT_EQ(player.Play(), 0);  // nothing loaded: no call
        EXPECT_FALSE(player.Load(nullptr));
        EXPECT_EQ(standin.Calls(), "");

        ASSERT_TRUE(player.Load("kelvarin.xm"));
        EXPECT_EQ(standin.Calls(), "MusicLoad(0,kelvarin.xm,0,0,4)=101");
        EXPECT_EQ(player.Play(), 7);  // the library's own result
        EXPECT_EQ(standin.Calls(), "MusicPlay(101)");

        EXPECT_FALSE(player.Load("missing.xm"));
        EXPECT_EQ(standin.Calls(), "MusicLoad(0,missing.xm,0,0,4)=0");
        EXPECT_EQ(player.GetModule(), 101u);

        ASSERT_TRUE(player.Load("other.xm"));
        EXPECT_EQ(standin.Calls(), "MusicLoad(0,other.xm,0,0,4)=102 ChannelStop(101) MusicFree(101)");
        EXPECT_EQ(player.Stop(), 5);
        EXPECT_EQ(standin.Calls(), "ChannelStop(102)");
    }
    EXPECT_EQ(standin.Calls(), "ChannelStop(102) MusicFree(102) Stop Free");

    Standin noStop(CM_STANDIN_NO_STOP);
    {
        MusicPlayer player;
        ASSERT_TRUE(player.Load("kelvarin.xm"));
        EXPECT_EQ(player.Stop(), 0);
        ASSERT_TRUE(player.Load("other.xm"));
        noStop.Calls();
    }
    EXPECT_EQ(noStop.Calls(), "MusicFree(102) Stop Free");
}

}  // namespace
}  // namespace cm
