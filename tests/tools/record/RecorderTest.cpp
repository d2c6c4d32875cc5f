// Short recordings of the real show: determinism, what reaches the video files, and clean
// failure when ffmpeg is missing or fails.
#include "ToolRun.h"

#include "TraceReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace cm::record::test {
namespace {

// What every option table refuses (unknown options, missing values, values that look like
// options) is CommandLineTest's; these are the recorder's own values.
TEST(Recording, BadValuesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--from", "-1"},        {"--to", "nan"},         {"--from", "9", "--to", "9"}, {"--size", "641x"},
        {"--size", "8x8"},       {"--size", "99999x480"}, {"--seed", "4294967296"},     {"--stills", "5,,6"},
        {"--audio-rate", "22050"}, {"--out", "y.mkv"},    {"--lossless", "x.mp4"}};
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParseRecordOptions(args, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
    std::string error;
    EXPECT_TRUE(ParseRecordOptions({"--seed", "4294967295", "--size", "16x16"}, error)) << error;
}

TEST(Recording, OutputsPastTheShowsEndOrUnwritableAreRefusedBeforeAnyFrameIsDrawn) {
    const ScratchDir dir;
    // The show's last frame at 2 fps is at 162.5 s.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--fps", "2", "--stills", "1,163", "--still-dir", dir.path.string()},
          {"--fps", "2", "--from", "163", "--frames", dir.Path("frames")},
          {"--fps", "2", "--from", "163", "--trace", dir.Path("trace")}}) {
        Recorder r(Options(args));
        EXPECT_EQ(r.Run(), 2) << args[2];
        EXPECT_EQ(r.Summary().framesRun, 0) << args[2];
    }
    Recorder last(Options({"--fps", "2", "--stills", "162.5", "--still-dir", dir.path.string()}));
    EXPECT_EQ(last.Run(), 0);
    EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{"still_162.5.png"});
    Recorder unwritable(Options({"--fps", "2", "--lossless", "/proc/x.mkv"}));
    EXPECT_EQ(unwritable.Run(), 1);
    EXPECT_EQ(unwritable.Summary().framesRun, 0);
}

TEST(Recording, AnInterruptedRecordingStopsFfmpegAndLeavesNoFile) {
    const ScratchDir dir;
    const std::string output = RunCommand("./coldmeridian-record --quiet --fps 10 --out " + dir.Path("x.mp4") +
                                          " & sleep 4; kill -INT $!; wait $!; echo $?")
                                   .output;
    EXPECT_EQ(output, "130\n");
    EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{});
}

// One second of the room with sparks, the part the seed drives: traced on one drawing thread;
// the same seed again untraced on three threads in three processes, each seeking to its piece,
// gives the same bytes; another seed other sparks.
TEST(Recording, PngFramesAreTheSameForTheSameSeedTracedOrNotAndTheSeedReachesTheSparks) {
    std::vector<std::string> dirs;
    const ScratchDir scratch;
    const std::string trace = scratch.Path("trace");
    for (const char* seed : {"7", "7", "8"}) {
        dirs.push_back(scratch.Path("frames_" + std::to_string(dirs.size())));
        std::vector<std::string> args = {"--fps", "10", "--from", "31", "--to", "32", "--seed", seed, "--frames",
                                         dirs.back(), "--threads", dirs.size() == 1 ? "1" : "3"};
        if (dirs.size() == 1) args.insert(args.end(), {"--trace", trace});
        if (dirs.size() == 2) args.insert(args.end(), {"--jobs", "3"});
        Recorder r(Options(args));
        ASSERT_EQ(r.Run(), 0);
        EXPECT_EQ(r.Summary().framesWritten, dirs.size() == 2 ? 4 : 10);  // the first piece
    }
    // A still seeks straight to its frame, which is the frame the range drew.
    Recorder still(Options({"--fps", "10", "--seed", "7", "--stills", "31.5", "--still-dir", dirs[0]}));
    ASSERT_EQ(still.Run(), 0);
    EXPECT_EQ(still.Summary().framesDrawn, 1);
    EXPECT_TRUE(ReadText(dirs[0] + "/still_31.5.png") == ReadText(dirs[0] + "/frame_000315.png"));
    std::remove((dirs[0] + "/still_31.5.png").c_str());
    const auto names = FilesIn(dirs[0]);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "frame_000310.png");
    EXPECT_EQ(FilesIn(dirs[1]), names);
    int differing = 0;
    for (const std::string& n : names) {
        EXPECT_TRUE(ReadText(dirs[0] + "/" + n) == ReadText(dirs[1] + "/" + n)) << n;
        differing += ReadText(dirs[0] + "/" + n) != ReadText(dirs[2] + "/" + n);
    }
    EXPECT_GT(differing, 5);

    std::vector<TraceEntry> entries;
    std::string error;
    ASSERT_TRUE(ReadTrace(ReadText(trace + "/trace.txt"), entries, error)) << error;
    const auto count = [&](TraceEntry::Kind kind) {
        return std::count_if(entries.begin(), entries.end(), [&](const TraceEntry& e) { return e.kind == kind; });
    };
    EXPECT_EQ(count(TraceEntry::Kind::Frame), 10);
    EXPECT_GT(count(TraceEntry::Kind::Draw), 10 * 10);
}

// A still of another shape is drawn at the largest 4:3 picture it holds, centred, bars beside.
TEST(Recording, StillsAtAnySizeAreDrawnAtThatSizeWithBars) {
    const ScratchDir dir;
    Recorder r(Options({"--fps", "10", "--seed", "1", "--stills", "35", "--still-dir", dir.path.string(), "--size",
                        "800x450", "--supersample", "2"}));
    ASSERT_EQ(r.Run(), 0);
    Image still;
    ASSERT_TRUE(ReadPng(dir.Path("still_35.png"), still));
    ASSERT_EQ(std::pair(still.width, still.height), std::pair(800, 450));
    auto columnLit = [&](int x) {
        for (int y = 0; y < 450; ++y)
            if (still.pixels[size_t(y) * 800 + x] & 0xFFFFFF) return true;
        return false;
    };
    EXPECT_FALSE(columnLit(0) || columnLit(99) || columnLit(700) || columnLit(799));
    EXPECT_TRUE(columnLit(100) && columnLit(400) && columnLit(699));
}

TEST(Recording, VideosAreBitExactCarryTheFramesAndAudioOfTheirLength) {
    const ScratchDir dir;
    // The lossless video's frames are the PNG stills' pixels exactly: no channel swapped, no
    // frame shifted.
    Recorder lossless(Options({"--fps", "25", "--from", "13.6", "--to", "14.8", "--seed", "3", "--lossless",
                               dir.Path("a.mkv"), "--stills", "14.04", "--still-dir", dir.path.string()}));
    ASSERT_EQ(lossless.Run(), 0);
    EXPECT_EQ(Probe(dir.Path("a.mkv"), "v:0", "nb_read_frames"), "30");
    Image still;
    ASSERT_TRUE(ReadPng(dir.Path("still_14.04.png"), still));
    // Frame 351 (14.04 s) is the 12th of the range that starts with frame 340 (13.6 s).
    const std::string rgb = RunCommand("ffmpeg -v error -nostdin -i " + dir.Path("a.mkv") +
                                       " -vf 'select=eq(n\\,11)' -frames:v 1 -f rawvideo -pix_fmt rgb24 -")
                                .output;
    ASSERT_EQ(rgb.size(), size_t(640) * 480 * 3);
    size_t mismatches = 0;
    for (size_t i = 0; i < still.pixels.size(); ++i) {
        const uint32_t p = still.pixels[i];
        mismatches += uint8_t(rgb[i * 3]) != ((p >> 16) & 0xFF) || uint8_t(rgb[i * 3 + 1]) != ((p >> 8) & 0xFF) ||
                      uint8_t(rgb[i * 3 + 2]) != (p & 0xFF);
    }
    EXPECT_EQ(mismatches, 0u);

    // H.264 at a scaled size: same bytes twice (the second from three processes, whose frames go
    // through the one encoder in order), the audio as long as the video and not silent.
    for (const char* name : {"a.mp4", "b.mp4"}) {
        Recorder r(Options({"--fps", "30000/1001", "--from", "12", "--to", "16", "--size", "320x240", "--seed", "3",
                            "--out", dir.Path(name), "--jobs", name[0] == 'a' ? "1" : "3"}));
        ASSERT_EQ(r.Run(), 0);
    }
    EXPECT_TRUE(ReadText(dir.Path("a.mp4")) == ReadText(dir.Path("b.mp4")));
    EXPECT_EQ(Probe(dir.Path("a.mp4"), "v:0", "width,height"), "320\n240");
    EXPECT_EQ(Probe(dir.Path("a.mp4"), "v:0", "nb_read_frames"), "120");  // frames 360..479
    const double video = std::stod(Probe(dir.Path("a.mp4"), "v:0", "duration"));
    const double audio = std::stod(Probe(dir.Path("a.mp4"), "a:0", "duration"));
    EXPECT_NEAR(video, 120 * 1001 / 30000.0, 1e-3);
    EXPECT_NEAR(audio, video, 1.0 / 48000 * 2);
    EXPECT_GT(Rms(DecodeAudio(dir.Path("a.mp4"))), 300.0);
    // Only the finished files are left.
    EXPECT_EQ(FilesIn(dir.path), (std::vector<std::string>{"a.mkv", "a.mp4", "b.mp4", "still_14.04.png"}));
}

TEST(Recording, AMissingOrFailingFfmpegIsAnErrorAndLeavesNoVideo) {
    const ScratchDir dir;
    // Takes all input, then fails as an encoder might at the end.
    const std::string failing = dir.Path("failing-ffmpeg");
    std::ofstream(failing) << "#!/bin/sh\ncat >/dev/null\necho 'broken encoder' >&2\nexit 3\n";
    std::filesystem::permissions(failing, std::filesystem::perms::owner_all);
    for (const std::string& ffmpeg : {dir.Path("missing"), std::string("/bin/false"), failing}) {
        Recorder r(Options({"--fps", "10", "--to", "0.5", "--out", dir.Path("show.mp4"), "--ffmpeg", ffmpeg}));
        EXPECT_NE(r.Run(), 0) << ffmpeg;
        EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{"failing-ffmpeg"}) << ffmpeg;
    }
}

}  // namespace
}  // namespace cm::record::test
